#include "byte_formats.h"

#include "kt_limits.h"

token_head read_kta_token(stream_cursor& cur) {
    uint32_t c = static_cast<uint32_t>(read_byte(cur));
    if (c == kt_end_mark) return {token_kind::end_mark, 0};
    uint32_t count = c >> 1;
    return {(c & 1) ? token_kind::sequence : token_kind::literal_run, count};
}

token_head read_ktb_token(stream_cursor& cur) {
    uint32_t c = static_cast<uint32_t>(read_byte(cur));
    if (c == kt_end_mark) return {token_kind::end_mark, 0};
    uint32_t count = c & 0x3F;
    if (c & ktb_long_count_flag) count = (count << 8) | static_cast<uint32_t>(read_byte(cur));
    return {(c & ktb_sequence_flag) ? token_kind::sequence : token_kind::literal_run, count};
}

bool code_kta_literal(uint32_t length, item_code& code) {
    return length >= 1 && length <= static_cast<uint32_t>(kta_max_literal_run) &&
           add_byte(code, length << 1);
}

bool code_kta_sequence(uint32_t length, item_code& code) {
    return length >= 1 && length <= static_cast<uint32_t>(kta_max_seq_len) &&
           add_byte(code, (length << 1) | 1);
}

namespace {

// KTB's control byte, or two for a count above the short form.
bool code_ktb_control(uint32_t count, uint32_t sequence_flag, item_code& code) {
    if (count < 1 || count > static_cast<uint32_t>(ktb_max_literal_run)) return false;
    if (count <= static_cast<uint32_t>(ktb_short_count_max))
        return add_byte(code, sequence_flag | count);
    return add_byte(code, ktb_long_count_flag | sequence_flag | (count >> 8)) &&
           add_byte(code, count & 0xFF);
}

} // namespace

bool code_ktb_literal(uint32_t length, item_code& code) {
    return code_ktb_control(length, 0, code);
}

bool code_ktb_sequence(uint32_t length, item_code& code) {
    return code_ktb_control(length, ktb_sequence_flag, code);
}

bool code_byte_end_mark(item_code& code) { return add_byte(code, kt_end_mark); }
