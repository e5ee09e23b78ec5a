#include "packed_writer.h"

#include <algorithm>

namespace {

void append(stream_writer& w, uint8_t b) {
    if (w.size >= w.cap) {
        w.overflow = true;
        return;
    }
    w.out[w.size++] = b;
}

// The depacker writes count bytes after reading the stream up to the current size.
void note_writes(stream_writer& w, uint32_t count) {
    if (count == 0) return;
    w.lead = std::max(w.lead, w.out_pos + static_cast<int32_t>(count) - 1 - w.size);
    w.out_pos += static_cast<int32_t>(count);
}

} // namespace

void start_stream(stream_writer& w, uint8_t* out, int32_t cap) {
    w = stream_writer{};
    w.out = out;
    w.cap = cap;
}

void put_whole_byte(stream_writer& w, uint8_t b) { append(w, b); }

void put_bits(stream_writer& w, uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        if (w.bits_free == 0) {
            w.bit_byte = w.size;
            append(w, 0);
            w.bits_free = 8;
            if (w.overflow) return;
        }
        --w.bits_free;
        if ((value >> i) & 1) w.out[w.bit_byte] |= static_cast<uint8_t>(1u << w.bits_free);
    }
}

void put_code(stream_writer& w, const item_code& code) {
    for (int i = 0; i < code.count; ++i) {
        const code_field& f = code.field[i];
        if (f.whole)
            put_whole_byte(w, static_cast<uint8_t>(f.value));
        else
            put_bits(w, f.value, f.bits);
    }
}

void put_first_byte(stream_writer& w, uint8_t b) {
    append(w, b);
    note_writes(w, 1);
}

bool put_literal_run(stream_writer& w, const pack_model& m, const uint8_t* bytes, uint32_t length) {
    item_code code;
    if (!code_literal_head(m.type, length, code)) return false;
    put_code(w, code);
    // Each byte is read just before it is written, so the lead is the same for all of them.
    for (uint32_t i = 0; i < length; ++i) {
        append(w, bytes[i]);
        note_writes(w, 1);
    }
    return true;
}

bool put_sequence(stream_writer& w, const pack_model& m, uint32_t length, uint32_t offset) {
    item_code code;
    if (!code_sequence_head(m.type, length, code) || !code_offset(m, offset, code)) return false;
    put_code(w, code);
    note_writes(w, length);
    return true;
}

bool put_repeat(stream_writer& w, const pack_model& m, uint32_t length) {
    item_code code;
    if (!code_repeat_head(m.type, length, code)) return false;
    put_code(w, code);
    note_writes(w, length);
    return true;
}

bool put_end_mark(stream_writer& w, const pack_model& m) {
    item_code code;
    if (!code_end_mark(m.type, code)) return false;
    put_code(w, code);
    return true;
}

int32_t in_place_margin(const stream_writer& w) {
    // The stream's first byte lies at out_pos + margin - size; every write must land below
    // the first unread byte.
    return std::max(0, w.lead + 1 + w.size - w.out_pos);
}
