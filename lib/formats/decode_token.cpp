#include "decode_token.h"

#include "bit_formats.h"
#include "byte_formats.h"
#include "offset_codings.h"

namespace {

// Reads the kind and count of the next token; false for a type no grammar exists for.
bool read_head(stream_cursor& cur, int type, token_head& head) {
    switch (type) {
    case type_kta: head = read_kta_token(cur); return true;
    case type_ktb: head = read_ktb_token(cur); return true;
    case type_zx7: head = read_zx7_token(cur); return true;
    case type_blk: head = read_blk_token(cur); return true;
    case type_ts1: head = read_ts1_token(cur); return true;
    default: return false;
    }
}

// Reads a sequence's offset; a bad coding or a zero offset under the byte codings fails.
// Under the gamma coding an overlong code gives 0 and passes.
decode_status read_offset(stream_cursor& cur, const pack_model& model, uint32_t length,
                          uint32_t& offset) {
    switch (model.coding) {
    case 1: offset = read_offset_1byte(cur); break;
    case 2: offset = read_offset_2bytes(cur); break;
    case 4: offset = read_offset_classes(cur, model.offset1); return {};
    case 5: offset = read_offset_fixed(cur, model.offset1); return {};
    case 6: offset = read_offset_two(cur, model.offset1, model.offset2); return {};
    case 7: offset = read_offset_gamma(cur); return {};
    default: return {decode_error::unknown_coding, model.coding, 0};
    }
    if (offset == 0) return {decode_error::zero_offset, model.coding, length};
    return {};
}

} // namespace

decode_status decode_token(stream_cursor& cur, const pack_model& model, token& out) {
    out = token{};
    token_head head{};
    if (!read_head(cur, model.type, head)) return {decode_error::unknown_type, model.type, 0};
    if (head.kind == token_kind::end_mark) return {};
    out.length = head.length;
    if (head.kind == token_kind::literal_run) return {};
    uint32_t offset = 0;
    const decode_status s = read_offset(cur, model, head.length, offset);
    if (s.error != decode_error::none) return s;
    out.offset = offset;
    return {};
}
