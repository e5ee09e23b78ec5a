// The writer follows the control-byte layouts of the two formats bit for bit and refuses
// (throws) items whose values the fields cannot hold, so that a test cannot silently
// write a stream other than the one it states.
#include "stream_writer.h"

#include <stdexcept>

stream_item literal(const std::string& bytes, bool long_count) {
    stream_item it;
    it.kind = item_kind::literal_run;
    it.bytes = bytes;
    it.long_count = long_count;
    return it;
}

stream_item sequence(uint32_t length, uint32_t offset, bool long_count, bool long_offset) {
    stream_item it;
    it.kind = item_kind::sequence;
    it.length = length;
    it.offset = offset;
    it.long_count = long_count;
    it.long_offset = long_offset;
    return it;
}

stream_item end_mark() { return stream_item{}; }

namespace {

void require(bool ok, const char* what) {
    if (!ok) throw std::invalid_argument(what);
}

void put(std::string& s, uint32_t byte) { s.push_back(static_cast<char>(byte & 0xFF)); }

} // namespace

std::string write_kta(const std::vector<stream_item>& items) {
    std::string s;
    for (const stream_item& it : items) {
        switch (it.kind) {
        case item_kind::literal_run:
            require(!it.bytes.empty() && it.bytes.size() <= 127, "KTA literal run of 1..127");
            put(s, static_cast<uint32_t>(it.bytes.size()) << 1);
            s += it.bytes;
            break;
        case item_kind::sequence:
            require(it.length >= 1 && it.length <= 127, "KTA sequence length of 1..127");
            require(it.offset >= 1 && it.offset <= 255, "KTA offset of 1..255");
            put(s, (it.length << 1) | 1);
            put(s, it.offset);
            break;
        case item_kind::end_mark: put(s, 0); break;
        }
    }
    return s;
}

namespace {

void put_ktb_count(std::string& s, uint32_t count, bool sequence, bool long_count) {
    require(count >= 1 && count <= 0x3FFF, "KTB count of 1..16383");
    const uint32_t seq_flag = sequence ? 0x40 : 0;
    if (count <= 63 && !long_count) {
        put(s, seq_flag | count);
    } else {
        put(s, 0x80 | seq_flag | (count >> 8));
        put(s, count);
    }
}

} // namespace

std::string write_ktb(const std::vector<stream_item>& items) {
    std::string s;
    for (const stream_item& it : items) {
        switch (it.kind) {
        case item_kind::literal_run:
            put_ktb_count(s, static_cast<uint32_t>(it.bytes.size()), false, it.long_count);
            s += it.bytes;
            break;
        case item_kind::sequence:
            put_ktb_count(s, it.length, true, it.long_count);
            require(it.offset >= 1 && it.offset <= 0x7FFF, "KTB offset of 1..32767");
            if (it.offset <= 127 && !it.long_offset) {
                put(s, it.offset);
            } else {
                put(s, 0x80 | (it.offset >> 8));
                put(s, it.offset);
            }
            break;
        case item_kind::end_mark: put(s, 0); break;
        }
    }
    return s;
}

std::string unpacked_data(const std::vector<stream_item>& items) {
    std::string out;
    for (const stream_item& it : items) {
        if (it.kind == item_kind::end_mark) break;
        if (it.kind == item_kind::literal_run) {
            out += it.bytes;
            continue;
        }
        require(it.offset <= out.size(), "sequence offset beyond the data");
        const size_t from = out.size() - it.offset;
        for (uint32_t k = 0; k < it.length; ++k) out.push_back(out[from + k]);
    }
    return out;
}

uint32_t literal_byte_count(const std::vector<stream_item>& items) {
    uint32_t n = 0;
    for (const stream_item& it : items) {
        if (it.kind == item_kind::end_mark) break;
        if (it.kind == item_kind::literal_run) n += static_cast<uint32_t>(it.bytes.size());
    }
    return n;
}

std::string hex_bytes(const std::string& text) {
    std::string out;
    std::string digits;
    for (char c : text) {
        if (c == ' ') continue;
        digits.push_back(c);
        if (digits.size() == 2) {
            out.push_back(static_cast<char>(std::stoi(digits, nullptr, 16)));
            digits.clear();
        }
    }
    require(digits.empty(), "odd number of hex digits");
    return out;
}
