#include "item_code.h"

#include "format_table.h"

namespace {

constexpr int gamma_max_value_bits = 15;
// Value bits the reader counts before it calls a gamma code overlong.
constexpr int gamma_overlong_bits = 16;

int value_bits(uint32_t v) { // bits after the leading 1
    int b = 0;
    while ((v >> (b + 1)) != 0) ++b;
    return b;
}

} // namespace

int item_bits(const item_code& code) {
    int bits = 0;
    for (int i = 0; i < code.count; ++i) bits += code.field[i].bits;
    return bits;
}

bool add_bits(item_code& code, uint32_t value, int bits) {
    if (code.count >= max_code_fields) return false;
    code.field[code.count++] = {value, static_cast<uint8_t>(bits), false};
    return true;
}

bool add_byte(item_code& code, uint32_t value) {
    if (code.count >= max_code_fields) return false;
    code.field[code.count++] = {value & 0xFF, 8, true};
    return true;
}

bool code_gamma(uint32_t value, int extra, item_code& code) {
    if (value == 0 || value > 0xFFFF) return false;
    const int b = value_bits(value);
    if (b < extra || b > gamma_max_value_bits) return false;
    return add_bits(code, 1, b - extra + 1) && add_bits(code, value & ((1u << b) - 1), b);
}

// The zeros that make the reader count 16 value bits, and the 1 that stops them.
bool code_overlong_gamma(int extra, item_code& code) {
    return add_bits(code, 1, gamma_overlong_bits - extra + 1);
}

bool code_literal_head(int type, uint32_t length, item_code& code) {
    const compression_type_row* row = find_type(type);
    return row != nullptr && row->grammar.code_literal_head(length, code);
}

bool code_sequence_head(int type, uint32_t length, item_code& code) {
    const compression_type_row* row = find_type(type);
    return row != nullptr && row->grammar.code_sequence_head(length, code);
}

bool code_end_mark(int type, item_code& code) {
    const compression_type_row* row = find_type(type);
    return row != nullptr && row->grammar.code_end_mark(code);
}

bool code_repeat_head(int type, uint32_t length, item_code& code) {
    const compression_type_row* row = find_type(type);
    return row != nullptr && row->grammar.code_repeat_head(length, code);
}

bool model_is_packable(const pack_model& m) {
    const offset_coding_row* row = find_coding(m.coding);
    if (find_type(m.type) == nullptr || row == nullptr) return false;
    const int widths[2] = {m.offset1, m.offset2};
    for (int i = 0; i < row->params; ++i)
        if (widths[i] < 1 || widths[i] > row->width_max) return false;
    return true;
}

bool code_offset(const pack_model& m, uint32_t offset, item_code& code) {
    if (offset == 0 || !model_is_packable(m)) return false;
    return find_coding(m.coding)->code(m, offset, code);
}
