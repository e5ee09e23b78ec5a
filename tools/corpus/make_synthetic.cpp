// Writes the synthetic half of the packers' corpus into a directory: runs, short and long
// periods, two-symbol and plain random data, repeats at the offset limits, and the size limits.
// With --family it writes instead the hard family of the candidate walk: short periods with
// sparse changes, two-symbol mixes and runs broken at fixed distances, 64 KiB each. The
// generator is seeded, so every run writes the same bytes.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

uint64_t rng_state = 0x2545F4914F6CDD1DULL;

uint32_t next_random() {
    rng_state ^= rng_state << 13;
    rng_state ^= rng_state >> 7;
    rng_state ^= rng_state << 17;
    return uint32_t(rng_state >> 32);
}

using bytes = std::vector<uint8_t>;

bytes random_bytes(size_t n, uint32_t symbols) {
    bytes b(n);
    for (auto& x : b) x = uint8_t(next_random() % symbols);
    return b;
}

bytes periodic(size_t n, size_t period) {
    bytes pattern = random_bytes(period, 256);
    bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = pattern[i % period];
    return b;
}

// Random bytes in which a block repeats what stood exactly distance bytes earlier.
bytes repeat_at(size_t distance, size_t block) {
    bytes b = random_bytes(distance + block + 64, 256);
    for (size_t i = 0; i < block; ++i) b[distance + 32 + i] = b[32 + i];
    return b;
}

// Runs of random lengths (1 to 300) of random bytes.
bytes runs(size_t n) {
    bytes b;
    while (b.size() < n) {
        size_t len = 1 + next_random() % 300;
        uint8_t v = uint8_t(next_random());
        for (size_t i = 0; i < len && b.size() < n; ++i) b.push_back(v);
    }
    return b;
}

// Mostly zeros with a random byte now and then.
bytes sparse(size_t n) {
    bytes b(n, 0);
    for (auto& x : b)
        if (next_random() % 64 == 0) x = uint8_t(next_random());
    return b;
}

// Every byte pair at most once: longer and longer literal runs with no sequence to find.
bytes distinct_pairs(size_t n) {
    bytes b;
    for (uint32_t a = 0; a < 256 && b.size() < n; ++a)
        for (uint32_t c = a + 1; c < 256 && b.size() < n; ++c) {
            b.push_back(uint8_t(a));
            b.push_back(uint8_t(c));
        }
    b.resize(n);
    return b;
}

// A pattern of period bytes repeated, each byte replaced by a random one with chance 1 in
// one_in: dither patterns with detail, tiled screens, tables with one changing column.
bytes noisy_period(size_t n, size_t period, uint32_t one_in) {
    bytes b = periodic(n, period);
    for (auto& x : b)
        if (next_random() % one_in == 0) x = uint8_t(next_random());
    return b;
}

// Two symbols, the second with chance percent in 100.
bytes two_symbol_mix(size_t n, uint32_t percent) {
    bytes b(n);
    for (auto& x : b) x = next_random() % 100 < percent ? 0xAA : 0x55;
    return b;
}

// A run of one byte with another one every every bytes.
bytes broken_run(size_t n, size_t every) {
    bytes b(n, 0x20);
    for (size_t i = every - 1; i < n; i += every) b[i] = uint8_t(0x21 + i / every % 200);
    return b;
}

struct item {
    std::string name;
    bytes data;
};

std::vector<item> family() {
    rng_state = 0x9E3779B97F4A7C15ULL;
    std::vector<item> items;
    for (size_t q = 1; q <= 16; ++q)
        for (uint32_t one_in : {10u, 30u, 100u, 1000u, 10000u})
            items.push_back({"fam_period_" + std::to_string(q) + "_noise_" + std::to_string(one_in),
                             noisy_period(65536, q, one_in)});
    for (uint32_t percent : {50u, 25u, 10u, 3u})
        items.push_back(
            {"fam_two_symbols_" + std::to_string(percent), two_symbol_mix(65536, percent)});
    for (size_t every : {256u, 32767u})
        items.push_back({"fam_run_broken_" + std::to_string(every), broken_run(65536, every)});
    return items;
}

std::vector<item> corpus() {
    std::vector<item> items;
    items.push_back({"syn_one_byte", bytes{0x41}});
    items.push_back({"syn_zeros_65536", bytes(65536, 0)});
    items.push_back({"syn_runs", runs(65536)});
    items.push_back({"syn_period_2", periodic(65536, 2)});
    items.push_back({"syn_period_3", periodic(65536, 3)});
    items.push_back({"syn_period_7", periodic(65536, 7)});
    items.push_back({"syn_period_127", periodic(65536, 127)});
    items.push_back({"syn_period_255", periodic(65536, 255)});
    items.push_back({"syn_two_symbols", random_bytes(65536, 2)});
    items.push_back({"syn_two_symbols_4k", random_bytes(4096, 2)});
    items.push_back({"syn_repeat_127", repeat_at(127, 400)});
    items.push_back({"syn_repeat_128", repeat_at(128, 400)});
    items.push_back({"syn_repeat_255", repeat_at(255, 400)});
    items.push_back({"syn_repeat_256", repeat_at(256, 400)});
    items.push_back({"syn_repeat_32767", repeat_at(32767, 20000)});
    items.push_back({"syn_repeat_32768", repeat_at(32768, 20000)});
    items.push_back({"syn_random_65536", random_bytes(65536, 256)});
    items.push_back({"syn_random_1000", random_bytes(1000, 256)});
    items.push_back({"syn_sparse", sparse(65536)});
    items.push_back({"syn_distinct_pairs", distinct_pairs(65536)});
    items.push_back({"syn_text_4_letters", random_bytes(20000, 4)});
    return items;
}

bool write_file(const std::string& path, const bytes& b) {
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
    return fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    const bool fam = argc == 3 && std::string(argv[1]) == "--family";
    if (argc != 2 && !fam) {
        fprintf(stderr, "usage: %s [--family] <directory>\n", argv[0]);
        return 1;
    }
    const std::string dir = argv[argc - 1];
    // Generated in this order, always: each draws from the one seeded sequence.
    const std::vector<item> items = fam ? family() : corpus();
    for (auto& it : items) {
        if (!write_file(dir + "/" + it.name, it.data)) {
            perror((dir + "/" + it.name).c_str());
            return 1;
        }
    }
    return 0;
}
