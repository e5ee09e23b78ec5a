// Test-only writer of KTA and KTB streams from token lists, in short or long forms, and
// the data such a token list unpacks to. Lets tests state streams as tokens, not bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class item_kind { literal_run, sequence, end_mark };

struct stream_item {
    item_kind kind = item_kind::end_mark;
    std::string bytes;        // literal run: its raw bytes
    uint32_t length = 0;      // sequence
    uint32_t offset = 0;      // sequence
    bool long_count = false;  // KTB: two control bytes even for a count below 64
    bool long_offset = false; // KTB: two offset bytes even for an offset below 128
};

stream_item literal(const std::string& bytes, bool long_count = false);
stream_item sequence(uint32_t length, uint32_t offset, bool long_count = false,
                     bool long_offset = false);
stream_item end_mark();

// Streams of the items in order. Counts and offsets must fit the format's fields
// (KTA: count 1..127, offset 1..255; KTB: count 1..16383, offset 1..32767).
std::string write_kta(const std::vector<stream_item>& items);
std::string write_ktb(const std::vector<stream_item>& items);

// The bytes the items unpack to, up to the first end mark.
std::string unpacked_data(const std::vector<stream_item>& items);
// Literal bytes carried by the items, up to the first end mark.
uint32_t literal_byte_count(const std::vector<stream_item>& items);

// "06 41 42" -> the three bytes; spaces between bytes are optional.
std::string hex_bytes(const std::string& text);
