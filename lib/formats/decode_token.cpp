#include "decode_token.h"

#include "format_table.h"

namespace {

// Reads the kind and count of the next token; false for a type no grammar exists for.
bool read_head(stream_cursor& cur, int type, token_head& head) {
    const compression_type_row* row = find_type(type);
    if (row == nullptr) return false;
    head = row->grammar.read_head(cur);
    return true;
}

// Reads a sequence's offset; a bad coding or a zero offset under the byte codings fails.
// Under the gamma coding an overlong code gives 0 and passes.
decode_status read_offset(stream_cursor& cur, const pack_model& model, uint32_t length,
                          uint32_t& offset) {
    const offset_coding_row* row = find_coding(model.coding);
    if (row == nullptr) return {decode_error::unknown_coding, model.coding, 0};
    offset = row->read(cur, model);
    if (row->zero_fails && offset == 0) return {decode_error::zero_offset, model.coding, length};
    return {};
}

} // namespace

decode_status decode_token(stream_cursor& cur, const pack_model& model, token& out) {
    out = token{};
    token_head head{};
    if (!read_head(cur, model.type, head)) return {decode_error::unknown_type, model.type, 0};
    if (read_past_end(cur)) return {decode_error::past_end, 0, 0};
    if (head.kind == token_kind::end_mark) return {};
    out.length = head.length;
    cur.after_run = head.kind == token_kind::literal_run;
    if (head.kind == token_kind::literal_run) return {};
    if (head.kind == token_kind::repeat) {
        out.offset = cur.last_offset;
        out.repeat = true;
        return {};
    }
    uint32_t offset = 0;
    const decode_status s = read_offset(cur, model, head.length, offset);
    if (read_past_end(cur)) return {decode_error::past_end, 0, 0};
    if (s.error != decode_error::none) return s;
    out.offset = offset;
    cur.last_offset = offset;
    return {};
}
