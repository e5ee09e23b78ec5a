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
