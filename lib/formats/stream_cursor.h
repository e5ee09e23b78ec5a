// The reading state of one packed file. Whole bytes and bit bytes share one stream position;
// reads past the loaded data yield zero bytes, so no token can read outside the buffer, and
// the position still advances, so that a token which took such a byte can be told apart.
#pragma once

#include <cstdint>

inline constexpr uint32_t bit_buf_empty = 0x80;

struct stream_cursor {
    const uint8_t* data = nullptr;
    int32_t size = 0;
    int32_t pos = 0;                  // index of the next unread byte
    uint32_t bit_buf = bit_buf_empty; // current bit byte << 1 with a marker bit below it
    uint32_t overhead_bits = 0;       // bits consumed by token decoding
    // KTR's reading state: the offset a repeat sequence reuses, and whether the last token was
    // a literal run (only then can a repeat follow, and never another run).
    uint32_t last_offset = 1;
    bool after_run = false;
};

inline void reset_cursor(stream_cursor& cur, const uint8_t* data, int32_t size) {
    cur.data = data;
    cur.size = size;
    cur.pos = 0;
    cur.bit_buf = bit_buf_empty;
    cur.overhead_bits = 0;
    cur.last_offset = 1;
    cur.after_run = false;
}

// The byte at the stream position, or 0 past the loaded data; the position always advances.
inline int stream_byte(stream_cursor& cur) {
    int b = (cur.pos >= 0 && cur.pos < cur.size) ? cur.data[cur.pos] : 0;
    ++cur.pos;
    return b;
}

// Whether a byte past the loaded data was taken: every byte taken advances the position by one,
// so from a start inside the data the position passes the size only by such a byte.
inline bool read_past_end(const stream_cursor& cur) { return cur.pos > cur.size; }

// A control or offset byte: counts 8 bits of overhead.
inline int read_byte(stream_cursor& cur) {
    cur.overhead_bits += 8;
    return stream_byte(cur);
}
