#include "bit_stream_writer.h"

#include <cassert>

#include "offset_codings.h"

void put_byte(bit_stream_writer& w, uint8_t b) {
    w.bytes.push_back(b);
    w.overhead_bits += 8;
}

void put_raw_byte(bit_stream_writer& w, uint8_t b) { w.bytes.push_back(b); }

void put_bit(bit_stream_writer& w, int bit) {
    if (w.bits_used == 8) {
        w.bit_byte = w.bytes.size();
        w.bytes.push_back(0);
        w.bits_used = 0;
    }
    if (bit) w.bytes[w.bit_byte] |= static_cast<uint8_t>(0x80 >> w.bits_used);
    ++w.bits_used;
    ++w.overhead_bits;
}

void put_bits(bit_stream_writer& w, uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i) put_bit(w, static_cast<int>((value >> i) & 1));
}

void put_gamma(bit_stream_writer& w, uint32_t value, int extra) {
    if (value == 0) { // shortest overlong code: 16 value bits announced
        for (int i = extra; i < 16; ++i) put_bit(w, 0);
        put_bit(w, 1);
        return;
    }
    int bits = 0; // value bits after the leading 1
    while ((value >> (bits + 1)) != 0) ++bits;
    assert(bits >= extra && bits <= 15);
    for (int i = extra; i < bits; ++i) put_bit(w, 0);
    put_bit(w, 1);
    put_bits(w, value, bits);
}

namespace {
uint64_t pow2(int w) { return uint64_t{1} << w; }
} // namespace

uint32_t max_offset(const pack_model& m) {
    switch (m.coding) {
    case 1: return 255;
    case 2: return 32767;
    case 4: return static_cast<uint32_t>(offset_class_base(3, m.offset1) + pow2(4 * m.offset1) - 1);
    case 5: return static_cast<uint32_t>(pow2(m.offset1));
    case 6: return static_cast<uint32_t>(pow2(m.offset1) + pow2(m.offset2));
    case 7: return 65535;
    default: return 0;
    }
}

uint32_t max_sequence_length(const pack_model& m) {
    switch (m.type) {
    case type_kta: return 127;
    case type_ktb: return 16383;
    case type_zx7: return 65536;
    case type_blk: return 65536;
    case type_ts1: return 65535;
    case type_ktr: return 65536;
    default: return 0;
    }
}

bool can_write_literal_run(const pack_model& m, uint32_t length) {
    switch (m.type) {
    case type_kta: return length >= 1 && length <= 127;
    case type_ktb: return length >= 1 && length <= 16383;
    case type_zx7: return length == 1;
    case type_blk: return length >= 1 && length <= 65535;
    case type_ts1: return length == 1 || (length >= 8 && length <= 65535);
    case type_ktr: return length >= 1 && length <= 65535;
    default: return false;
    }
}

bool can_write_sequence(const pack_model& m, uint32_t length, uint32_t offset) {
    uint32_t least = (m.type == type_kta || m.type == type_ktb) ? 1 : 2;
    return length >= least && length <= max_sequence_length(m) && offset >= 1 &&
           offset <= max_offset(m);
}

namespace {

// KTB's control bytes: the short form when the count fits six bits.
void put_ktb_control(bit_stream_writer& w, uint32_t count, uint8_t sequence_flag) {
    if (count <= 63) {
        put_byte(w, static_cast<uint8_t>(sequence_flag | count));
    } else {
        put_byte(w, static_cast<uint8_t>(0x80 | sequence_flag | (count >> 8)));
        put_byte(w, static_cast<uint8_t>(count & 0xFF));
    }
}

// value 1..65535: a 1 and a value bit per bit after the leading 1, then a 0; value 0: sixteen
// pairs of 1 and 0, the shortest overlong code.
void put_interlaced_gamma(bit_stream_writer& w, uint32_t value) {
    if (value == 0) {
        for (int i = 0; i < 16; ++i) put_bits(w, 0b10, 2);
        return;
    }
    int b = 0;
    while ((value >> (b + 1)) != 0) ++b;
    for (int i = b - 1; i >= 0; --i) {
        put_bit(w, 1);
        put_bit(w, static_cast<int>(value >> i & 1));
    }
    put_bit(w, 0);
}

} // namespace

void put_repeat(bit_stream_writer& w, [[maybe_unused]] const pack_model& m, uint32_t length) {
    assert(m.type == type_ktr && length >= 1 && length <= 65535);
    put_bit(w, 0);
    put_interlaced_gamma(w, length);
}

void put_literal_run(bit_stream_writer& w, const pack_model& m, const uint8_t* data,
                     uint32_t length) {
    assert(can_write_literal_run(m, length));
    switch (m.type) {
    case type_kta: put_byte(w, static_cast<uint8_t>(length << 1)); break;
    case type_ktb: put_ktb_control(w, length, 0); break;
    case type_zx7: put_bit(w, 1); break;
    case type_blk:
        put_gamma(w, length, 0);
        put_bit(w, 1);
        break;
    case type_ts1:
        if (length == 1) {
            put_bit(w, 0);
        } else {
            put_bits(w, 0xF, 4);
            put_gamma(w, length, 3);
        }
        break;
    case type_ktr:
        put_bit(w, 0);
        put_interlaced_gamma(w, length);
        break;
    }
    for (uint32_t i = 0; i < length; ++i) put_raw_byte(w, data[i]);
}

void put_offset(bit_stream_writer& w, const pack_model& m, uint32_t offset) {
    switch (m.coding) {
    case 1: put_byte(w, static_cast<uint8_t>(offset)); break;
    case 2:
        if (offset <= 127) {
            put_byte(w, static_cast<uint8_t>(offset));
        } else {
            put_byte(w, static_cast<uint8_t>(0x80 | (offset >> 8)));
            put_byte(w, static_cast<uint8_t>(offset & 0xFF));
        }
        break;
    case 4: {
        int n = 0;
        while (n < 3 && offset >= offset_class_base(n + 1, m.offset1)) ++n;
        put_bits(w, static_cast<uint32_t>(n), 2);
        put_bits(w, static_cast<uint32_t>(offset - offset_class_base(n, m.offset1)),
                 (n + 1) * m.offset1);
        break;
    }
    case 5: put_bits(w, offset - 1, m.offset1); break;
    case 6:
        if (offset <= pow2(m.offset1)) {
            put_bit(w, 1);
            put_bits(w, offset - 1, m.offset1);
        } else {
            put_bit(w, 0);
            put_bits(w, static_cast<uint32_t>(offset - pow2(m.offset1) - 1), m.offset2);
        }
        break;
    case 7: put_gamma(w, offset, 0); break;
    }
}

void put_sequence(bit_stream_writer& w, const pack_model& m, uint32_t length, uint32_t offset) {
    assert(can_write_sequence(m, length, offset));
    switch (m.type) {
    case type_kta: put_byte(w, static_cast<uint8_t>((length << 1) | 1)); break;
    case type_ktb: put_ktb_control(w, length, 0x40); break;
    case type_zx7:
        put_bit(w, 0);
        put_gamma(w, length - 1, 0);
        break;
    case type_blk:
        put_gamma(w, length - 1, 0);
        put_bit(w, 0);
        break;
    case type_ts1:
        if (length == 2) {
            put_bits(w, 0b10, 2);
        } else if (length == 3) {
            put_bits(w, 0b110, 3);
        } else {
            put_bits(w, 0b1110, 4);
            put_gamma(w, length, 2);
        }
        break;
    case type_ktr:
        put_bit(w, 1);
        put_interlaced_gamma(w, length - 1);
        break;
    }
    put_offset(w, m, offset);
}

void put_end_mark(bit_stream_writer& w, const pack_model& m) {
    switch (m.type) {
    case type_kta:
    case type_ktb: put_byte(w, 0); break;
    case type_zx7:
        put_bit(w, 0);
        put_gamma(w, 0, 0);
        break;
    case type_blk: put_gamma(w, 0, 0); break;
    case type_ts1:
        put_bits(w, 0xF, 4);
        put_gamma(w, 0, 3);
        break;
    case type_ktr:
        put_bit(w, 1);
        put_interlaced_gamma(w, 0);
        break;
    }
}
