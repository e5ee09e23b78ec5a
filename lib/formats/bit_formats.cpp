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

bool code_zx7_literal(uint32_t length, item_code& code) {
    return length == 1 && add_bits(code, 1, 1);
}

bool code_zx7_sequence(uint32_t length, item_code& code) {
    return length >= 2 && add_bits(code, 0, 1) && code_gamma(length - 1, 0, code);
}

bool code_zx7_end_mark(item_code& code) {
    return add_bits(code, 0, 1) && code_overlong_gamma(0, code);
}

bool code_blk_literal(uint32_t length, item_code& code) {
    return code_gamma(length, 0, code) && add_bits(code, 1, 1);
}

bool code_blk_sequence(uint32_t length, item_code& code) {
    return length >= 2 && code_gamma(length - 1, 0, code) && add_bits(code, 0, 1);
}

bool code_blk_end_mark(item_code& code) { return code_overlong_gamma(0, code); }

// Runs of 2 to 7 have no form: the gamma after the prefix 1111 has at least 3 value bits.
bool code_ts1_literal(uint32_t length, item_code& code) {
    if (length == 1) return add_bits(code, 0, 1);
    return length >= 8 && add_bits(code, 0xF, 4) && code_gamma(length, 3, code);
}

bool code_ts1_sequence(uint32_t length, item_code& code) {
    if (length == 2) return add_bits(code, 0b10, 2);
    if (length == 3) return add_bits(code, 0b110, 3);
    return length >= 4 && add_bits(code, 0b1110, 4) && code_gamma(length, 2, code);
}

bool code_ts1_end_mark(item_code& code) {
    return add_bits(code, 0xF, 4) && code_overlong_gamma(3, code);
}
