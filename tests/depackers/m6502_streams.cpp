// Edge streams are laid with the tests' bit_stream_writer, whose layout is the reader's; the
// packed ones come from the universal packer, the engine KtuPack runs.
#include "m6502_streams.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

#include "bit_stream_writer.h"
#include "model_streams.h"
#include "offset_codings.h"
#include "optimal_parse.h"
#include "token_walk.h"
#include "universal_pack.h"

std::string m6502_tag(const pack_model& m) {
    char tag[24];
    if (m.coding == 6)
        std::snprintf(tag, sizeof tag, "t%d6o%do%d", m.type, m.offset1, m.offset2);
    else if (m.coding == 4 || m.coding == 5)
        std::snprintf(tag, sizeof tag, "t%d%do%d", m.type, m.coding, m.offset1);
    else
        std::snprintf(tag, sizeof tag, "t%d%d", m.type, m.coding);
    return tag;
}

m6502_stream m6502_pack(const pack_model& m, const std::string& name, const bytes& in) {
    m6502_stream r;
    r.s.name = name;
    r.s.original = in;
    const int32_t n = int32_t(in.size());
    auto fm = std::make_unique<file_matches>();
    prepare_file(in.data(), n, *fm);
    parse_space space;
    size_parse_space(n, space);
    std::vector<token> tokens(size_t(n) + 1);
    bytes out(size_t(2 * n + 64));
    pack_outcome outcome;
    if (pack_stream(*fm, m, space, tokens.data(), out.data(), int32_t(out.size()), outcome) !=
        universal_status::ok)
        return r;
    out.resize(size_t(outcome.size));
    r.s.packed = out;
    r.margin = outcome.margin;
    return r;
}

int m6502_margin(const pack_model& m, const bytes& packed) {
    const int32_t p_len = int32_t(packed.size());
    std::vector<uint8_t> out(1 << 17);
    token_walk w;
    std::vector<std::pair<int32_t, int32_t>> ends; // stream bytes read, output bytes written
    if (start_walk(w, packed.data(), p_len, m, out.data(), uint32_t(out.size())))
        ends.emplace_back(w.cur.pos, w.out_pos);
    while (walk_token(w).status == walk_status::token_taken)
        ends.emplace_back(w.cur.pos, w.out_pos);
    int margin = 1; // the end mark is read after the last byte is written
    for (const auto& [read, written] : ends)
        margin = std::max(margin, (p_len - read) - (w.out_pos - written));
    return margin;
}

std::vector<uint32_t> m6502_border_offsets(const pack_model& m, uint32_t cap) {
    std::vector<uint32_t> v;
    switch (m.coding) {
    case 1: v = {1, 2, 255}; break;
    case 2: v = {1, 127, 128, 255, 256, 32767}; break;
    case 4:
        for (int n = 0; n < 4; ++n) {
            const uint64_t base = offset_class_base(n, m.offset1);
            v.push_back(uint32_t(std::min<uint64_t>(base, cap + 1)));
            v.push_back(uint32_t(std::min<uint64_t>(base + 1, cap + 1)));
            v.push_back(uint32_t(
                std::min<uint64_t>(base + (uint64_t{1} << ((n + 1) * m.offset1)) - 1, cap + 1)));
        }
        break;
    case 5: v = {1, 2, (1u << m.offset1) - 1, 1u << m.offset1}; break;
    case 6:
        v = {1,
             2,
             1u << m.offset1,
             (1u << m.offset1) + 1,
             (1u << m.offset1) + 2,
             (1u << m.offset1) + (1u << m.offset2)};
        break;
    case 7: v = {1, 2, 3, 4, 7, 8, 255, 256, 257, 65535}; break;
    }
    v.push_back(std::min(max_offset(m), cap));
    for (uint32_t& d : v) d = std::max(1u, std::min(d, std::min(max_offset(m), cap)));
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

namespace {

bytes random_bytes(size_t n, uint32_t seed) {
    std::mt19937 g(seed);
    bytes b(n);
    for (uint8_t& c : b) c = uint8_t(g() & 0xFF);
    return b;
}

// Lays the output and the stream together, so that each token copies what it says.
struct layer {
    pack_model m;
    bit_stream_writer w;
    bytes out;
    bool after_run = false; // KTR: no run may follow
};

layer start(const pack_model& m, uint8_t first) {
    layer l{m, {}, {}, false};
    if (first_byte_flag(m.type) == 1) {
        put_raw_byte(l.w, first);
        l.out.push_back(first);
    }
    return l;
}

void sequence(layer& l, uint32_t length, uint32_t offset);

// Literal runs of the longest length the grammar has up to n, then the rest. KTR has no two
// runs in a row: a copy of two bytes at offset 1 parts them.
void literals(layer& l, const bytes& data) {
    size_t i = 0;
    while (i < data.size()) {
        if (l.after_run && l.m.type == type_ktr) sequence(l, 2, 1);
        uint32_t n = uint32_t(std::min<size_t>(data.size() - i, 65535));
        while (!can_write_literal_run(l.m, n)) --n;
        put_literal_run(l.w, l.m, data.data() + i, n);
        l.out.insert(l.out.end(), data.begin() + long(i), data.begin() + long(i + n));
        i += n;
        l.after_run = true;
    }
}

// A sequence, split into the longest the grammar has when it is longer.
void sequence(layer& l, uint32_t length, uint32_t offset) {
    while (length > 0) {
        uint32_t n = std::min(length, max_sequence_length(l.m));
        if (length - n == 1) --n; // no sequence of 1 left over
        put_sequence(l.w, l.m, n, offset);
        for (uint32_t k = 0; k < n; ++k) l.out.push_back(l.out[l.out.size() - offset]);
        length -= n;
    }
    l.after_run = false;
}

m6502_stream finish(layer& l, const std::string& name) {
    put_end_mark(l.w, l.m);
    m6502_stream r;
    r.s = {name, l.out, l.w.bytes};
    r.margin = m6502_margin(l.m, l.w.bytes);
    return r;
}

} // namespace

std::vector<m6502_stream> m6502_edge_streams(const pack_model& m, long budget) {
    std::vector<m6502_stream> v;
    const bool first = first_byte_flag(m.type) == 1;

    // One byte; with a first raw byte, the end mark right after it.
    {
        layer l = start(m, 'A');
        if (!first) literals(l, {'A'});
        v.push_back(finish(l, "one_byte"));
    }
    if (!first) {
        layer l = start(m, 0);
        v.push_back(finish(l, "end_mark_only"));
    }

    // Lengths around the page and gamma borders, the grammar's longest that fit, overlapping
    // copies, literal runs of 7, 8 and their neighbours.
    {
        layer l = start(m, 'x');
        literals(l, random_bytes(300, 1));
        const uint32_t lens[] = {2,  3,   4,   5,   7,   8,   9,   15, 16,
                                 17, 255, 256, 257, 300, 511, 512, 513};
        const uint32_t offs[] = {1, 2, 3, 100, 299};
        int k = 0;
        for (uint32_t n : lens) {
            sequence(l, n, std::min(offs[k++ % 5], max_offset(m)));
            literals(l, random_bytes(k % 3 == 0 ? 7 : k % 3 == 1 ? 8 : 1, 100 + uint32_t(k)));
        }
        for (uint32_t n : {9u, 255u, 256u, 257u, 1000u}) literals(l, random_bytes(n, 200 + n));
        const uint32_t longest_literal = m.type == type_zx7 ? 1 : m.type == type_kta ? 127 : 10000;
        literals(l, random_bytes(longest_literal, 300));
        const long used = long(l.out.size() + l.w.bytes.size()) + 64;
        const uint32_t longest = uint32_t(std::min<long>(max_sequence_length(m), budget - used));
        sequence(l, longest, 1);
        literals(l, {'z'});
        v.push_back(finish(l, "lengths_and_runs"));
    }

    // Offsets at the coding's borders over a history of a random block repeated, so that a
    // wrong offset copies other bytes unless it is off by a multiple of the block.
    {
        const uint32_t cap = uint32_t(budget - 16000);
        const auto borders = m6502_border_offsets(m, cap);
        const uint32_t history = borders.back() + 1;
        layer l = start(m, 'h');
        const uint32_t block = std::min<uint32_t>(history, std::min(max_offset(m), 7919u));
        literals(l, random_bytes(block - (first ? 1 : 0), 400));
        if (history - l.out.size() >= 2) sequence(l, history - uint32_t(l.out.size()), block);
        int k = 0;
        for (uint32_t d : borders) {
            sequence(l, 3 + uint32_t(k % 5), d);
            literals(l, random_bytes(1, 500 + uint32_t(k++)));
        }
        v.push_back(finish(l, "m6502_border_offsets"));
    }

    // Short sequences at far offsets, each after a literal byte or two: some thousands of
    // stream bytes whose page borders fall on every kind of stream byte (bit bytes, the
    // offsets' bytes, literal bytes), so that each place that steps the stream must carry.
    {
        layer l = start(m, 'p');
        literals(l, random_bytes(4000, 600));
        for (uint32_t k = 0; k < 1500; ++k) {
            sequence(l, 2 + k % 3, std::min(max_offset(m), 130 + k * 397 % 3800));
            literals(l, random_bytes(1 + k % 2, 700 + k));
        }
        v.push_back(finish(l, "far_offsets_at_page_borders"));
    }

    if (m.type == type_ktr) {
        const model_stream r = ktr_repeat_stream(m, uint32_t(budget / 2));
        v.push_back({{r.name, r.original, r.packed}, r.margin});
    }

    // Made-up data packed by the universal packer: runs, text and noise.
    bytes mixed;
    for (int k = 0; k < 40; ++k) {
        const bytes piece = random_bytes(size_t(1 + k * 37 % 200), uint32_t(20 + k % 7));
        mixed.insert(mixed.end(), piece.begin(), piece.end());
        mixed.insert(mixed.end(), size_t(k * 53 % 300), uint8_t(k));
    }
    v.push_back(m6502_pack(m, "packed_mixed", mixed));
    return v;
}
