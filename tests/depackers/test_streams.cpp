// The one call into the packers' library is pack_with_packer, whose status type may change; the
// corpus comes from the tests' shared support.
#include "test_streams.h"

#include <algorithm>
#include <memory>
#include <random>

#include "pack_input.h"
#include "pack_model.h"
#include "stream_writer.h"
#include "test_corpus.h"
#include "token_walk.h"
#include "variant.h"

std::string format_name(format f) { return f == format::kta ? "KTA" : "KTB"; }

bytes pack_with_packer(format f, const bytes& in) {
    auto t = std::make_unique<pack_tables>();
    bytes out(max_output);
    emit_figures fig;
    const int n = int(in.size());
    const pack_status status = f == format::ktb
                                   ? pack_input<ktb_variant>(*t, in.data(), n, out.data(), fig)
                                   : pack_input<kta_variant>(*t, in.data(), n, out.data(), fig);
    if (failed(status)) return {};
    out.resize(size_t(fig.packed_len));
    return out;
}

namespace {

bytes to_bytes(const std::string& s) { return bytes(s.begin(), s.end()); }

std::string random_text(size_t n, uint32_t seed) {
    std::mt19937 g(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(g() & 0xFF);
    return s;
}

test_stream laid(format f, const std::string& name, const std::vector<stream_item>& items) {
    const std::string packed = f == format::kta ? write_kta(items) : write_ktb(items);
    return {name, to_bytes(unpacked_data(items)), to_bytes(packed)};
}

test_stream packed_by_packer(format f, const std::string& name, const bytes& in) {
    return {name, in, pack_with_packer(f, in)};
}

std::vector<test_stream> kta_laid() {
    const format f = format::kta;
    const std::string r255 = random_text(255, 1);
    return {
        laid(f, "end_mark_only", {end_mark()}),
        laid(f, "one_byte", {literal("A"), end_mark()}),
        laid(f, "longest_literal", {literal(random_text(127, 2)), end_mark()}),
        laid(f, "longest_sequence_offset_1", {literal("x"), sequence(127, 1), end_mark()}),
        laid(f, "offset_2_repeats", {literal("ab"), sequence(127, 2), sequence(1, 2), end_mark()}),
        laid(f, "offset_255",
             {literal(r255.substr(0, 127)), literal(r255.substr(127, 127)),
              literal(r255.substr(254)), sequence(127, 255), sequence(127, 255), literal("!"),
              end_mark()}),
        laid(f, "offset_equals_length",
             {literal(random_text(100, 3)), sequence(100, 100), end_mark()}),
        laid(f, "ends_with_sequence", {literal("abc"), sequence(3, 3), end_mark()}),
    };
}

std::vector<test_stream> ktb_laid() {
    const format f = format::ktb;
    const std::string r300 = random_text(300, 4);
    const std::string r127 = random_text(127, 7);
    return {
        laid(f, "end_mark_only", {end_mark()}),
        laid(f, "one_byte", {literal("A"), end_mark()}),
        laid(f, "short_and_long_counts",
             {literal(random_text(63, 5)), literal(random_text(64, 6)), literal("q", true),
              sequence(63, 1), sequence(64, 1), sequence(2, 3, true), end_mark()}),
        laid(f, "longest_literal", {literal(random_text(16383, 8)), end_mark()}),
        laid(f, "longest_sequence_offset_1", {literal("x"), sequence(16383, 1), end_mark()}),
        laid(f, "offset_127_128",
             {literal(r127), literal("zz"), sequence(50, 127), sequence(50, 128),
              sequence(5, 1, false, true), end_mark()}),
        laid(f, "offset_255_256",
             {literal(r300), sequence(300, 255), sequence(300, 256), end_mark()}),
        // 32767 bytes of history, then the farthest copy at the longest length.
        laid(f, "offset_32767",
             {literal(r300), sequence(16383, 300), sequence(16084, 300), sequence(16383, 32767),
              literal("end"), end_mark()}),
        laid(f, "offset_equals_length",
             {literal(random_text(1000, 9)), sequence(1000, 1000), end_mark()}),
        // Counts whose low byte is 0 or 255, as page-wise copies take them apart.
        laid(f, "whole_page_counts",
             {literal(random_text(256, 11)), sequence(512, 256), literal(random_text(255, 12)),
              sequence(257, 1), sequence(255, 700), end_mark()}),
    };
}

} // namespace

std::vector<test_stream> edge_streams(format f) {
    std::vector<test_stream> v = f == format::kta ? kta_laid() : ktb_laid();
    const std::string r = random_text(20000, 10);
    v.push_back(packed_by_packer(f, "packed_random_20000", to_bytes(r)));
    v.push_back(packed_by_packer(f, "packed_run_40000", bytes(40000, 0x77)));
    bytes mixed;
    for (int k = 0; k < 40; ++k) {
        const std::string piece = random_text(size_t(1 + k * 37 % 200), uint32_t(20 + k % 7));
        mixed.insert(mixed.end(), piece.begin(), piece.end());
        mixed.insert(mixed.end(), size_t(k * 53 % 300), uint8_t(k));
    }
    v.push_back(packed_by_packer(f, "packed_mixed", mixed));
    return v;
}

std::vector<test_stream> corpus_streams_unpacked(size_t cut) {
    std::vector<test_stream> v;
    for (const corpus_file& file : corpus_files()) {
        bytes in = file.data;
        if (in.size() > cut) in.resize(cut);
        v.push_back({file.name, in, {}});
    }
    return v;
}

std::vector<test_stream> corpus_streams(format f, size_t cut) {
    std::vector<test_stream> v = corpus_streams_unpacked(cut);
    for (test_stream& t : v) t.packed = pack_with_packer(f, t.original);
    return v;
}

int in_place_margin(format f, const bytes& packed) {
    const int32_t p_len = int32_t(packed.size());
    // First the token ends (stream bytes read, output bytes written), then the output's length.
    std::vector<std::pair<int32_t, int32_t>> ends;
    const pack_model model{f == format::kta ? type_kta : type_ktb, f == format::kta ? 1 : 2, 0, 0};
    std::vector<uint8_t> out(1 << 17);
    token_walk w;
    start_walk(w, packed.data(), p_len, model, out.data(), uint32_t(out.size()));
    while (walk_token(w).status == walk_status::token_taken)
        ends.emplace_back(w.cur.pos, w.out_pos);
    int margin = 1; // the end mark is read after the last byte is written
    for (const auto& [read, written] : ends)
        margin = std::max(margin, (p_len - read) - (w.out_pos - written));
    return margin;
}
