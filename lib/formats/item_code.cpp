#include "item_code.h"

#include "kt_limits.h"
#include "offset_codings.h"

namespace {

constexpr int gamma_max_value_bits = 15;
// Value bits the reader counts before it calls a gamma code overlong.
constexpr int gamma_overlong_bits = 16;

bool add(item_code& code, uint32_t value, int bits, bool whole = false) {
    if (code.count >= max_code_fields) return false;
    code.field[code.count++] = {value, static_cast<uint8_t>(bits), whole};
    return true;
}

bool add_byte(item_code& code, uint32_t value) {
    return add(code, value & 0xFF, 8, true);
}

int value_bits(uint32_t v) { // bits after the leading 1
    int b = 0;
    while ((v >> (b + 1)) != 0)
        ++b;
    return b;
}

// The shortest overlong gamma code: the zeros that make the reader count 16 value bits, and
// the 1 that stops them.
bool code_overlong_gamma(int extra, item_code& code) {
    return add(code, 1, gamma_overlong_bits - extra + 1);
}

// KTB's control byte, or two for a count above the short form.
bool code_ktb_control(uint32_t count, uint32_t sequence_flag, item_code& code) {
    if (count < 1 || count > static_cast<uint32_t>(ktb_max_literal_run)) return false;
    if (count <= static_cast<uint32_t>(ktb_short_count_max))
        return add_byte(code, sequence_flag | count);
    return add_byte(code, ktb_long_count_flag | sequence_flag | (count >> 8)) &&
           add_byte(code, count & 0xFF);
}

} // namespace

int item_bits(const item_code& code) {
    int bits = 0;
    for (int i = 0; i < code.count; ++i)
        bits += code.field[i].bits;
    return bits;
}

bool code_gamma(uint32_t value, int extra, item_code& code) {
    if (value == 0 || value > 0xFFFF) return false;
    const int b = value_bits(value);
    if (b < extra || b > gamma_max_value_bits) return false;
    return add(code, 1, b - extra + 1) && add(code, value & ((1u << b) - 1), b);
}

bool code_literal_head(int type, uint32_t length, item_code& code) {
    switch (type) {
    case type_kta:
        return length >= 1 && length <= static_cast<uint32_t>(kta_max_literal_run) &&
               add_byte(code, length << 1);
    case type_ktb:
        return code_ktb_control(length, 0, code);
    case type_zx7:
        return length == 1 && add(code, 1, 1);
    case type_blk:
        return code_gamma(length, 0, code) && add(code, 1, 1);
    case type_ts1:
        if (length == 1) return add(code, 0, 1);
        return length >= 8 && add(code, 0xF, 4) && code_gamma(length, 3, code);
    default:
        return false;
    }
}

bool code_sequence_head(int type, uint32_t length, item_code& code) {
    switch (type) {
    case type_kta:
        return length >= 1 && length <= static_cast<uint32_t>(kta_max_seq_len) &&
               add_byte(code, (length << 1) | 1);
    case type_ktb:
        return code_ktb_control(length, ktb_sequence_flag, code);
    case type_zx7:
        return length >= 2 && add(code, 0, 1) && code_gamma(length - 1, 0, code);
    case type_blk:
        return length >= 2 && code_gamma(length - 1, 0, code) && add(code, 0, 1);
    case type_ts1:
        if (length == 2) return add(code, 0b10, 2);
        if (length == 3) return add(code, 0b110, 3);
        return length >= 4 && add(code, 0b1110, 4) && code_gamma(length, 2, code);
    default:
        return false;
    }
}

bool model_is_packable(const pack_model& m) {
    if (first_byte_flag(m.type) < 0) return false;
    switch (m.coding) {
    case 1:
    case 2:
    case 7:
        return true;
    case 4:
        return m.offset1 >= 1 && m.offset1 <= 7;
    case 5:
        return m.offset1 >= 1 && m.offset1 <= 30;
    case 6:
        return m.offset1 >= 1 && m.offset1 <= 30 && m.offset2 >= 1 && m.offset2 <= 30;
    default:
        return false;
    }
}

bool code_offset(const pack_model& m, uint32_t offset, item_code& code) {
    if (offset == 0 || !model_is_packable(m)) return false;
    switch (m.coding) {
    case 1:
        return offset <= static_cast<uint32_t>(kta_max_offset) && add_byte(code, offset);
    case 2:
        if (offset <= static_cast<uint32_t>(ktb_short_offset_max)) return add_byte(code, offset);
        return offset <= static_cast<uint32_t>(ktb_max_offset) &&
               add_byte(code, ktb_long_offset_flag | (offset >> 8)) && add_byte(code, offset);
    case 4: {
        const int w = m.offset1;
        int n = 0;
        while (n < 3 && offset >= offset_class_base(n + 1, w))
            ++n;
        const uint64_t rest = offset - offset_class_base(n, w);
        if (rest >> ((n + 1) * w) != 0) return false;
        return add(code, static_cast<uint32_t>(n), 2) &&
               add(code, static_cast<uint32_t>(rest), (n + 1) * w);
    }
    case 5:
        return (uint64_t{offset} - 1) >> m.offset1 == 0 && add(code, offset - 1, m.offset1);
    case 6: {
        const uint64_t short_span = uint64_t{1} << m.offset1;
        if (offset <= short_span) return add(code, 1, 1) && add(code, offset - 1, m.offset1);
        const uint64_t rest = offset - short_span - 1;
        return rest >> m.offset2 == 0 && add(code, 0, 1) &&
               add(code, static_cast<uint32_t>(rest), m.offset2);
    }
    case 7:
        return code_gamma(offset, 0, code);
    default:
        return false;
    }
}

bool code_end_mark(int type, item_code& code) {
    switch (type) {
    case type_kta:
    case type_ktb:
        return add_byte(code, kt_end_mark);
    case type_zx7:
        return add(code, 0, 1) && code_overlong_gamma(0, code);
    case type_blk:
        return code_overlong_gamma(0, code);
    case type_ts1:
        return add(code, 0xF, 4) && code_overlong_gamma(3, code);
    default:
        return false;
    }
}
