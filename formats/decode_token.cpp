#include "decode_token.h"

#include <cstdio>

#include "byte_formats.h"

namespace {

// Reads the kind and count of the next token; false for a type no grammar exists for.
bool read_head(stream_cursor& cur, int type, token_head& head) {
    switch (type) {
    case type_kta: head = read_kta_token(cur); return true;
    case type_ktb: head = read_ktb_token(cur); return true;
    default: return false;
    }
}

// Reads a sequence's offset; false (message printed) for a bad coding or a zero offset.
bool read_offset(stream_cursor& cur, const pack_model& model, const char* name, uint32_t length,
                 uint32_t& offset) {
    switch (model.coding) {
    case 1:
        offset = read_offset_1byte(cur);
        if (offset == 0) {
            printf("\nError in %s: Zero KTA offset. Index=%u Length=%u\n", name,
                   static_cast<unsigned>(cur.pos), length);
            return false;
        }
        return true;
    case 2:
        offset = read_offset_2bytes(cur);
        if (offset == 0) {
            printf("\nError in %s: Zero KTB offset. Index=%u Length=%u\n", name,
                   static_cast<unsigned>(cur.pos), length);
            return false;
        }
        return true;
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
