// Edge streams are laid with put_literal_run and put_sequence, split as each grammar needs
// (ZX7 has no literal run longer than 1, TS1 none of 2..7), and their output is built beside
// them, so a stream and its expected output come from one list of items.
#include "model_streams.h"

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "offset_codings.h"
#include "packed_writer.h"
#include "test_streams.h"
#include "universal_pack.h"

namespace {

struct layer {
    pack_model m;
    bytes buf = bytes(2 * 65536 + 64);
    stream_writer w;
    bytes out;
    uint32_t last_offset = 1; // what a KTR repeat copies from
    bool ok = true;
};

void lay_start(layer& l, const pack_model& m) {
    l.m = m;
    start_stream(l.w, l.buf.data(), int32_t(l.buf.size()));
}

uint32_t longest_literal_run(int type) {
    return type == type_kta ? 127 : type == type_ktb ? 16383 : type == type_zx7 ? 1 : 65535;
}

uint32_t longest_sequence(int type) {
    return type == type_kta ? 127 : type == type_ktb ? 16383 : 65535;
}

void lay_literals(layer& l, const bytes& b) {
    size_t i = 0;
    if (l.out.empty() && first_byte_flag(l.m.type) == 1 && !b.empty()) {
        put_first_byte(l.w, b[0]);
        l.out.push_back(b[0]);
        i = 1;
    }
    while (i < b.size()) {
        uint32_t n = uint32_t(std::min<size_t>(b.size() - i, longest_literal_run(l.m.type)));
        if (l.m.type == type_ts1 && n < 8) n = 1;
        l.ok = l.ok && put_literal_run(l.w, l.m, b.data() + i, n);
        l.out.insert(l.out.end(), b.begin() + long(i), b.begin() + long(i + n));
        i += n;
    }
}

void lay_sequence(layer& l, uint32_t length, uint32_t offset) {
    while (length > 0 && l.ok) {
        uint32_t n = std::min(length, longest_sequence(l.m.type));
        if (length - n == 1) --n; // no sequence of 1 left behind
        l.ok = offset <= l.out.size() && put_sequence(l.w, l.m, n, offset);
        for (uint32_t k = 0; k < n && l.ok; ++k) l.out.push_back(l.out[l.out.size() - offset]);
        length -= n;
    }
    l.last_offset = offset;
}

// A KTR repeat: right after a literal run, the last offset again.
void lay_repeat(layer& l, uint32_t length) {
    l.ok = l.ok && l.last_offset <= l.out.size() && put_repeat(l.w, l.m, length);
    for (uint32_t k = 0; k < length && l.ok; ++k)
        l.out.push_back(l.out[l.out.size() - l.last_offset]);
}

model_stream lay_end(layer& l, const std::string& name) {
    l.ok = l.ok && put_end_mark(l.w, l.m) && !l.w.overflow;
    model_stream s;
    s.name = name;
    if (!l.ok) return s; // empty: the test reports it
    s.original = l.out;
    s.packed.assign(l.buf.begin(), l.buf.begin() + l.w.size);
    s.margin = in_place_margin(l.w);
    return s;
}

bytes random_bytes(size_t n, uint32_t seed) {
    std::mt19937 g(seed);
    bytes b(n);
    for (auto& c : b) c = uint8_t(g());
    return b;
}

uint64_t largest_offset(const pack_model& m) {
    switch (m.coding) {
    case 1: return 255;
    case 2: return 32767;
    case 4: return offset_class_base(3, m.offset1) + (uint64_t{1} << (4 * m.offset1)) - 1;
    case 5: return uint64_t{1} << m.offset1;
    case 6: return (uint64_t{1} << m.offset1) + (uint64_t{1} << m.offset2);
    default: return 65535;
    }
}

// The offsets where a coding changes its form, each with its neighbours, up to the largest
// that fits the machine with some output after it.
std::vector<uint32_t> border_offsets(const pack_model& m) {
    const uint64_t top = std::min<uint64_t>(largest_offset(m), 60000);
    std::vector<uint64_t> v{1, 2, 3, top};
    auto around = [&](uint64_t x) {
        for (uint64_t y : {x - 1, x, x + 1}) v.push_back(y);
    };
    switch (m.coding) {
    case 1: break;
    case 2:
        around(128);
        around(256);
        break;
    case 4:
        for (int n = 1; n <= 3; ++n) around(offset_class_base(n, m.offset1));
        break;
    case 5: break;
    case 6: around((uint64_t{1} << m.offset1) + 1); break;
    default:
        around(256);
        around(32768);
        break;
    }
    std::vector<uint32_t> r;
    for (uint64_t x : v)
        if (x >= 1 && x <= top) r.push_back(uint32_t(x));
    std::sort(r.begin(), r.end());
    r.erase(std::unique(r.begin(), r.end()), r.end());
    return r;
}

} // namespace

model_stream ktr_repeat_stream(const pack_model& m, uint32_t room) {
    layer l;
    lay_start(l, m);
    lay_literals(l, {'r', 's'});
    lay_repeat(l, 5);
    for (uint64_t reach : {2, 1000, 3}) {
        const uint32_t d = uint32_t(std::min(reach, largest_offset(m)));
        if (l.out.size() < d + 1) lay_sequence(l, uint32_t(d + 1 - l.out.size()), 1);
        lay_sequence(l, 2, d);
        for (uint32_t n : {1u, 257u, 2u}) {
            lay_literals(l, {uint8_t(n), uint8_t(d)});
            lay_repeat(l, n);
        }
    }
    lay_literals(l, {'!'});
    lay_repeat(l, uint32_t(room - 2000 - l.out.size()));
    return lay_end(l, "repeats");
}

std::vector<model_stream> model_edge_streams(const pack_model& m) {
    std::vector<model_stream> v;
    layer l;
    if (first_byte_flag(m.type) == 0) {
        lay_start(l, m);
        v.push_back(lay_end(l, "end_mark_only"));
    }
    lay_start(l = layer{}, m);
    lay_literals(l, {'A'});
    v.push_back(lay_end(l, "one_byte"));

    // The end mark after 0 to 7 one-byte literals, so that in the bit grammars its last bit
    // falls at each place of a bit byte (the first of a new one among them): the routine
    // returns one past the byte that holds it. KTR has no two literal runs in a row.
    for (int k = 0; k < 8 && m.type != type_ktr; ++k) {
        lay_start(l = layer{}, m);
        lay_literals(l, {'e'});
        for (int i = 0; i < k; ++i) lay_literals(l, {uint8_t('0' + i)});
        v.push_back(lay_end(l, "end_after_" + std::to_string(k) + "_literals"));
    }

    lay_start(l = layer{}, m);
    lay_literals(l, {'x'});
    for (uint32_t n : {2u, 255u, 256u, 257u, 3u}) lay_sequence(l, n, 1);
    // Copies that overlap what they write (offset 1 is all a 1-bit coding 5 has above).
    const uint32_t two = uint32_t(std::min<uint64_t>(2, largest_offset(m)));
    const uint32_t three = uint32_t(std::min<uint64_t>(3, largest_offset(m)));
    lay_literals(l, {'y', 'z'});
    lay_sequence(l, 9, two);
    lay_literals(l, {'!'});
    lay_sequence(l, 20, three);
    v.push_back(lay_end(l, "lengths_and_overlaps"));

    lay_start(l = layer{}, m);
    lay_literals(l, {'x'});
    lay_sequence(l, std::min<uint32_t>(longest_sequence(m.type), machine_room - 1), 1);
    v.push_back(lay_end(l, "longest_sequence"));

    // Runs of 7 and 8, then the longest the grammar has and the machine holds in place.
    lay_start(l = layer{}, m);
    lay_literals(l, random_bytes(7, 1));
    lay_sequence(l, 2, uint32_t(std::min<uint64_t>(7, largest_offset(m))));
    lay_literals(l, random_bytes(8, 2));
    lay_sequence(l, 2, uint32_t(std::min<uint64_t>(8, largest_offset(m))));
    const uint32_t longest =
        m.type == type_zx7 ? 300 : std::min(longest_literal_run(m.type), 60000u);
    lay_literals(l, random_bytes(longest, 3));
    v.push_back(lay_end(l, "literal_runs"));

    // History from a few hundred random bytes copied along, then a short copy at each offset.
    lay_start(l = layer{}, m);
    lay_literals(l, random_bytes(300, 4));
    const uint32_t step = uint32_t(std::min<uint64_t>(300, largest_offset(m)));
    for (uint32_t d : border_offsets(m)) {
        if (l.out.size() < d + 1) lay_sequence(l, uint32_t(d + 1 - l.out.size()), step);
        lay_sequence(l, 4, d);
        lay_literals(l, {uint8_t(d)});
    }
    v.push_back(lay_end(l, "border_offsets"));

    if (m.type == type_ktr) v.push_back(ktr_repeat_stream(m, machine_room));

    v.push_back(pack_for_model(m, {"packed_random_20000", random_bytes(20000, 5)}));
    bytes mixed;
    for (int k = 0; k < 40; ++k) {
        const bytes piece = random_bytes(size_t(1 + k * 37 % 200), uint32_t(20 + k % 7));
        mixed.insert(mixed.end(), piece.begin(), piece.end());
        mixed.insert(mixed.end(), size_t(k * 53 % 300), uint8_t(k));
    }
    v.push_back(pack_for_model(m, {"packed_mixed", mixed}));
    return v;
}

std::vector<pack_model> tested_width_models(int type, int coding) {
    switch (coding) {
    case 4: return {{type, 4, 4, 0}, {type, 4, 1, 0}, {type, 4, 7, 0}};
    case 5:
        return {
            {type, 5, 12, 0}, {type, 5, 1, 0}, {type, 5, 16, 0}, {type, 5, 8, 0}, {type, 5, 9, 0}};
    case 6:
        return {{type, 6, 6, 14}, {type, 6, 1, 1}, {type, 6, 8, 8}, {type, 6, 15, 16},
                {type, 6, 15, 1}, {type, 6, 9, 3}, {type, 6, 1, 16}};
    default: return {{type, coding, 0, 0}};
    }
}

std::vector<named_file> corpus_files(size_t cut) {
    std::vector<named_file> v;
    for (test_stream& t : corpus_streams_unpacked(cut))
        v.push_back({t.name, std::move(t.original)});
    return v;
}

model_stream pack_for_model(const pack_model& m, const named_file& f) {
    model_stream s;
    s.name = f.name;
    s.original = f.data;
    auto fm = std::make_unique<file_matches>();
    prepare_file(f.data.data(), int32_t(f.data.size()), *fm);
    parse_space space;
    size_parse_space(int32_t(f.data.size()), space);
    std::vector<token> tokens(f.data.size());
    bytes out(2 * f.data.size() + 64);
    pack_outcome o;
    if (pack_stream(*fm, m, space, tokens.data(), out.data(), int32_t(out.size()), o) !=
        universal_status::ok)
        return s;
    out.resize(size_t(o.size));
    s.packed = out;
    s.margin = o.margin;
    return s;
}
