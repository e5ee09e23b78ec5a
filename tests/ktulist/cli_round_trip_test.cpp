// A few hundred random KTA and KTB files depacked by the built program in one run each:
// every output file must hold exactly the data of its token list.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "program_run.h"
#include "stream_writer.h"

namespace {

std::string random_bytes(std::mt19937& rng, uint32_t n) {
    std::string s(n, '\0');
    // Few distinct values, so that sequences find matching data often.
    for (char& c : s) c = static_cast<char>(std::uniform_int_distribution<int>('a', 'd')(rng));
    return s;
}

std::vector<stream_item> random_items(std::mt19937& rng, bool ktb) {
    auto pick = [&rng](uint32_t lo, uint32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
    };
    const uint32_t max_count = ktb ? 300 : 127;
    const uint32_t max_offset = ktb ? 32767 : 255;
    std::vector<stream_item> items{literal(random_bytes(rng, pick(1, 20)))};
    uint32_t produced = static_cast<uint32_t>(items[0].bytes.size());
    for (uint32_t t = pick(0, 40); t > 0; --t) {
        if (pick(0, 1)) {
            items.push_back(literal(random_bytes(rng, pick(1, max_count))));
            produced += static_cast<uint32_t>(items.back().bytes.size());
        } else {
            const uint32_t len = pick(1, max_count);
            items.push_back(sequence(len, pick(1, produced < max_offset ? produced : max_offset)));
            produced += len;
        }
    }
    items.push_back(end_mark());
    return items;
}

TEST(cli_round_trip, depacked_files_hold_their_data) {
    std::mt19937 rng(4);
    scratch_folder dir;
    std::vector<std::string> args{"-d"};
    std::vector<std::pair<std::string, std::string>> expected;
    for (int i = 0; i < 300; ++i) {
        const bool ktb = i % 2 == 1;
        const std::vector<stream_item> items = random_items(rng, ktb);
        // Appended piece by piece: "f" + to_string(i) trips a false -Wrestrict in g++ 12.
        std::string base = "f";
        base += std::to_string(i);
        const std::string name = base + (ktb ? ".ktb" : ".kta");
        write_file(dir.path / name, ktb ? write_ktb(items) : write_kta(items));
        args.push_back(name);
        expected.emplace_back(base + ".out", unpacked_data(items));
    }
    const run_result r = run_tested(KTULIST_PATH, args, dir);
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.err, "");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 300) << r.out;
    for (const auto& [name, data] : expected)
        EXPECT_TRUE(read_file(dir.path / name) == data) << name;
}

} // namespace
