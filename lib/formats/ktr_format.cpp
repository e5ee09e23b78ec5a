#include "ktr_format.h"

#include "bit_reader.h"

namespace {

// Value bits after which the reader stops and calls the code overlong.
constexpr int overlong_value_bits = 16;

} // namespace

uint32_t read_interlaced_gamma(stream_cursor& cur) {
    uint32_t value = 1;
    for (int bits = 1; read_bit(cur) != 0; ++bits) {
        value = value << 1 | static_cast<uint32_t>(read_bit(cur));
        if (bits == overlong_value_bits) return 0; // no stop bit follows
    }
    return value;
}

bool code_interlaced_gamma(uint32_t value, item_code& code) {
    if (value == 0 || value > 0xFFFF) return false;
    int b = 0;
    while ((value >> (b + 1)) != 0) ++b;
    uint32_t pairs = 0; // the continuation and value bits, then the stop bit
    for (int i = b - 1; i >= 0; --i) pairs = pairs << 2 | 2 | (value >> i & 1);
    return add_bits(code, pairs << 1, 2 * b + 1);
}

token_head read_ktr_token(stream_cursor& cur) {
    const bool new_offset = read_bit(cur) != 0;
    const uint32_t g = read_interlaced_gamma(cur);
    if (g == 0) return {token_kind::end_mark, 0};
    if (new_offset) return {token_kind::sequence, g + 1};
    return {cur.after_run ? token_kind::repeat : token_kind::literal_run, g};
}

bool code_ktr_literal(uint32_t length, item_code& code) {
    return add_bits(code, 0, 1) && code_interlaced_gamma(length, code);
}

bool code_ktr_sequence(uint32_t length, item_code& code) {
    return length >= 2 && add_bits(code, 1, 1) && code_interlaced_gamma(length - 1, code);
}

bool code_ktr_repeat(uint32_t length, item_code& code) { return code_ktr_literal(length, code); }

// The flag of a new offset and the shortest overlong code: 16 pairs of 1 and a value bit 0.
bool code_ktr_end_mark(item_code& code) {
    return add_bits(code, 1, 1) && add_bits(code, 0xAAAAAAAA, 32);
}
