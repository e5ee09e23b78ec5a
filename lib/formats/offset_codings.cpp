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

} // namespace

uint32_t read_offset_1byte(stream_cursor& cur) { return static_cast<uint32_t>(read_byte(cur)); }

uint32_t read_offset_2bytes(stream_cursor& cur) {
    uint32_t d = static_cast<uint32_t>(read_byte(cur));
    if (d & ktb_long_offset_flag) d = ((d & 0x7F) << 8) | static_cast<uint32_t>(read_byte(cur));
    return d;
}

uint64_t offset_class_base(int n, int width) {
    uint64_t base = 1;
    for (int k = 1; k <= n; ++k) base += power_of_two(int64_t{k} * width);
    return base;
}

uint32_t read_offset_classes(stream_cursor& cur, int width) {
    int n = static_cast<int>(read_bits(cur, 2));
    uint64_t v = read_bits(cur, int64_t{n + 1} * width);
    return held(v + offset_class_base(n, width));
}

uint32_t read_offset_fixed(stream_cursor& cur, int width) { return held(read_bits(cur, width) + 1); }

uint32_t read_offset_two(stream_cursor& cur, int short_width, int long_width) {
    if (read_bit(cur)) return read_offset_fixed(cur, short_width);
    return held(read_bits(cur, long_width) + power_of_two(short_width) + 1);
}

uint32_t read_offset_gamma(stream_cursor& cur) { return read_gamma(cur, 0); }
