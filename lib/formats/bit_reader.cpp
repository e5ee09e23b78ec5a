#include "bit_reader.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// The longest prefix of zero bits that read_gamma counts, and the most value bits it takes.
constexpr int gamma_prefix_limit = 17;
constexpr int gamma_max_value_bits = 15;

// True when every bit still to come is 0: the current bit byte holds no 1 bit below its
// marker and the stream position is past the loaded data.
bool rest_is_zero(const stream_cursor& cur) {
    uint32_t low = cur.bit_buf & 0xFF;
    return (low & (low - 1)) == 0 && cur.pos >= cur.size;
}

// The state that n calls of read_bit leave when rest_is_zero holds, without making them:
// widths far beyond the formats must not take billions of steps.
void skip_zero_bits(stream_cursor& cur, int64_t n) {
    uint32_t low = cur.bit_buf & 0xFF;
    int marker = 0;
    while (marker < 8 && !(low & (1u << marker))) ++marker;
    int64_t left = marker >= 8 ? 0 : 7 - marker; // bits still unread in the current byte
    cur.overhead_bits += static_cast<uint32_t>(static_cast<uint64_t>(n));
    if (n <= left) {
        cur.bit_buf = low << n;
        return;
    }
    int64_t m = n - left;
    int64_t pos = static_cast<int64_t>(cur.pos) + (m + 7) / 8;
    cur.pos = static_cast<int32_t>(std::min<int64_t>(pos, std::numeric_limits<int32_t>::max()));
    cur.bit_buf = 1u << ((m - 1) % 8);
}

} // namespace

int read_bit(stream_cursor& cur) {
    cur.bit_buf <<= 1;
    if ((cur.bit_buf & 0xFF) == 0) cur.bit_buf = (static_cast<uint32_t>(stream_byte(cur)) << 1) | 1;
    ++cur.overhead_bits;
    return static_cast<int>((cur.bit_buf >> 8) & 1);
}

uint64_t read_bits(stream_cursor& cur, int64_t n) {
    uint64_t result = 0;
    while (n > 0) {
        if (n > 64 && rest_is_zero(cur)) {
            skip_zero_bits(cur, n);
            return result == 0 ? 0 : bits_ceiling;
        }
        result = std::min((result << 1) | static_cast<uint64_t>(read_bit(cur)), bits_ceiling);
        --n;
    }
    return result;
}

uint32_t read_gamma(stream_cursor& cur, int extra) {
    int z = extra;
    while (read_bit(cur) == 0 && z <= gamma_prefix_limit) ++z;
    if (z > gamma_max_value_bits) return 0;
    uint32_t value = 1;
    for (int i = 0; i < z; ++i) value = (value << 1) | static_cast<uint32_t>(read_bit(cur));
    return value;
}
