// libFuzzer target for the universal packer: the first bytes choose a model (type, coding,
// widths), the rest is packed under it; the stream must depack through the readers' token
// walk to the input, end with its end mark, and depack in place with its margin but not with
// one byte less (the margin is the least that works). Small inputs with
// the top bit of the first byte set run the whole model search too (KTR, compression type 6,
// included: compression_type_count covers it).
#include <cstdint>
#include <cstring>

#include "model_search.h"
#include "packed_writer.h"
#include "token_walk.h"
#include "universal_support.h"

namespace {

constexpr int32_t max_input = 65536;
uint8_t stream[2 * max_input + 64];
uint8_t back[max_input + 16];
token tokens[max_input];
search_result found;

pack_model model_from(const uint8_t* b) {
    pack_model m;
    const offset_coding_row& row = offset_codings[b[1] % offset_coding_count];
    m.type = b[0] % compression_type_count + 1;
    m.coding = row.coding;
    if (row.params >= 1) m.offset1 = b[2] % row.width_max + 1;
    if (row.params == 2) m.offset2 = b[3] % row.width_max + 1;
    return m;
}

void check(const file_matches& fm, const pack_model& m, parse_space& space, int32_t expect_size) {
    pack_outcome o;
    if (pack_stream(fm, m, space, tokens, stream, sizeof stream, o) != universal_status::ok)
        __builtin_trap();
    // The search's size of a KTR model it did not run with repeats is a bound packing may beat.
    if (expect_size >= 0 && (m.type == type_ktr ? o.size > expect_size : o.size != expect_size))
        __builtin_trap();
    const depack_outcome d = depack_stream(stream, o.size, m, back, sizeof back);
    if (d.status != walk_status::end_mark || d.packed_pos != o.size) __builtin_trap();
    if (d.out_size != fm.size || memcmp(back, fm.data, size_t(fm.size)) != 0) __builtin_trap();
    if (o.margin < 0 || o.margin > o.size + 1) __builtin_trap();
    const std::vector<uint8_t> packed(stream, stream + o.size);
    const in_place_result exact = depack_in_place(packed, m, size_t(fm.size), o.margin);
    if (exact.overwrote_unread || exact.failed || exact.out.size() != size_t(fm.size) ||
        memcmp(exact.out.data(), fm.data, size_t(fm.size)) != 0)
        __builtin_trap();
    if (o.margin > 0 && !depack_in_place(packed, m, size_t(fm.size), o.margin - 1).overwrote_unread)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size <= 4) return 0;
    const int32_t n = size - 4 > size_t(max_input) ? max_input : int32_t(size - 4);
    file_matches fm;
    prepare_file(data + 4, n, fm);
    parse_space space;
    size_parse_space(n, space);
    check(fm, model_from(data), space, -1);
    if ((data[0] & 0x80) && n <= 256) {
        search_models(fm, 1, found);
        check(fm, search_model(found.best), space, found.size[found.best]);
    }
    return 0;
}
