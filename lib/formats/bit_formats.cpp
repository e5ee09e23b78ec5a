#include "bit_formats.h"

#include "bit_reader.h"

token_head read_zx7_token(stream_cursor& cur) {
    if (read_bit(cur)) return {token_kind::literal_run, 1};
    uint32_t g = read_gamma(cur, 0);
    if (g == 0) return {token_kind::end_mark, 0};
    return {token_kind::sequence, g + 1};
}

token_head read_blk_token(stream_cursor& cur) {
    uint32_t g = read_gamma(cur, 0);
    if (g == 0) return {token_kind::end_mark, 0};
    if (read_bit(cur)) return {token_kind::literal_run, g};
    return {token_kind::sequence, g + 1};
}

token_head read_ts1_token(stream_cursor& cur) {
    if (!read_bit(cur)) return {token_kind::literal_run, 1};
    if (!read_bit(cur)) return {token_kind::sequence, 2};
    if (!read_bit(cur)) return {token_kind::sequence, 3};
    if (!read_bit(cur)) return {token_kind::sequence, read_gamma(cur, 2)};
    uint32_t g = read_gamma(cur, 3);
    if (g == 0) return {token_kind::end_mark, 0};
    return {token_kind::literal_run, g};
}
