#include "decode_token.h"

#include <cstdio>

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

bool zero_offset(const char* format_name, const stream_cursor& cur, const char* name,
                 uint32_t length) {
    printf("\nError in %s: Zero %s offset. Index=%u Length=%u\n", name, format_name,
           static_cast<unsigned>(cur.pos), length);
    return false;
}

// Reads a sequence's offset; false (message printed) for a bad coding or a zero offset under
// the byte codings. Under the gamma coding an overlong code gives 0 and passes.
bool read_offset(stream_cursor& cur, const pack_model& model, const char* name, uint32_t length,
                 uint32_t& offset) {
    switch (model.coding) {
    case 1:
        offset = read_offset_1byte(cur);
        return offset != 0 || zero_offset("KTA", cur, name, length);
    case 2:
        offset = read_offset_2bytes(cur);
        return offset != 0 || zero_offset("KTB", cur, name, length);
    case 4: offset = read_offset_classes(cur, model.offset1); return true;
    case 5: offset = read_offset_fixed(cur, model.offset1); return true;
    case 6: offset = read_offset_two(cur, model.offset1, model.offset2); return true;
    case 7: offset = read_offset_gamma(cur); return true;
    default:
        printf("\nError in %s: Unknown offset coding %u\n", name,
               static_cast<unsigned>(model.coding));
        return false;
    }
}

} // namespace

int decode_token(stream_cursor& cur, const pack_model& model, const char* name, token& out) {
    out = token{};
    token_head head{};
    if (!read_head(cur, model.type, head)) {
        printf("\nError in %s: Unknown compression type %u\n", name,
               static_cast<unsigned>(model.type));
        return decode_failed;
    }
    if (head.kind == token_kind::end_mark) return decode_ok;
    out.length = head.length;
    if (head.kind == token_kind::literal_run) return decode_ok;
    uint32_t offset = 0;
    if (!read_offset(cur, model, name, head.length, offset)) return decode_failed;
    out.offset = offset;
    return decode_ok;
}
