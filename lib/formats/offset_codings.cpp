#include "offset_codings.h"

#include <algorithm>

#include "bit_reader.h"
#include "kt_limits.h"

namespace {

// 2 to the power w where it fits below the ceiling; 0 for a negative width (a field of no
// bits adds nothing).
uint64_t power_of_two(int64_t w) {
    if (w < 0) return 0;
    if (w >= 32) return bits_ceiling;
    return uint64_t{1} << w;
}

uint32_t held(uint64_t v) { return static_cast<uint32_t>(std::min(v, bits_ceiling)); }

uint32_t read_fixed(stream_cursor& cur, int width) { return held(read_bits(cur, width) + 1); }

} // namespace

uint32_t read_offset_1byte(stream_cursor& cur, const pack_model&) {
    return static_cast<uint32_t>(read_byte(cur));
}

uint32_t read_offset_2bytes(stream_cursor& cur, const pack_model&) {
    uint32_t d = static_cast<uint32_t>(read_byte(cur));
    if (d & ktb_long_offset_flag) d = ((d & 0x7F) << 8) | static_cast<uint32_t>(read_byte(cur));
    return d;
}

uint64_t offset_class_base(int n, int width) {
    uint64_t base = 1;
    for (int k = 1; k <= n; ++k) base += power_of_two(int64_t{k} * width);
    return base;
}

uint32_t read_offset_classes(stream_cursor& cur, const pack_model& model) {
    const int width = model.offset1;
    int n = static_cast<int>(read_bits(cur, 2));
    uint64_t v = read_bits(cur, int64_t{n + 1} * width);
    return held(v + offset_class_base(n, width));
}

uint32_t read_offset_fixed(stream_cursor& cur, const pack_model& model) {
    return read_fixed(cur, model.offset1);
}

uint32_t read_offset_two(stream_cursor& cur, const pack_model& model) {
    if (read_bit(cur)) return read_fixed(cur, model.offset1);
    return held(read_bits(cur, model.offset2) + power_of_two(model.offset1) + 1);
}

uint32_t read_offset_gamma(stream_cursor& cur, const pack_model&) { return read_gamma(cur, 0); }

bool code_offset_1byte(const pack_model&, uint32_t offset, item_code& code) {
    return offset <= static_cast<uint32_t>(kta_max_offset) && add_byte(code, offset);
}

bool code_offset_2bytes(const pack_model&, uint32_t offset, item_code& code) {
    if (offset <= static_cast<uint32_t>(ktb_short_offset_max)) return add_byte(code, offset);
    return offset <= static_cast<uint32_t>(ktb_max_offset) &&
           add_byte(code, ktb_long_offset_flag | (offset >> 8)) && add_byte(code, offset);
}

bool code_offset_classes(const pack_model& model, uint32_t offset, item_code& code) {
    const int w = model.offset1;
    int n = 0;
    while (n < 3 && offset >= offset_class_base(n + 1, w)) ++n;
    const uint64_t rest = offset - offset_class_base(n, w);
    if (rest >> ((n + 1) * w) != 0) return false;
    return add_bits(code, static_cast<uint32_t>(n), 2) &&
           add_bits(code, static_cast<uint32_t>(rest), (n + 1) * w);
}

bool code_offset_fixed(const pack_model& model, uint32_t offset, item_code& code) {
    return (uint64_t{offset} - 1) >> model.offset1 == 0 &&
           add_bits(code, offset - 1, model.offset1);
}

bool code_offset_two(const pack_model& model, uint32_t offset, item_code& code) {
    const uint64_t short_span = uint64_t{1} << model.offset1;
    if (offset <= short_span)
        return add_bits(code, 1, 1) && add_bits(code, offset - 1, model.offset1);
    const uint64_t rest = offset - short_span - 1;
    return rest >> model.offset2 == 0 && add_bits(code, 0, 1) &&
           add_bits(code, static_cast<uint32_t>(rest), model.offset2);
}

bool code_offset_gamma(const pack_model&, uint32_t offset, item_code& code) {
    return code_gamma(offset, 0, code);
}
