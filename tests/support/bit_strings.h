// Bit patterns written as text for hand-laid streams: "01 1" is the bits 0, 1, 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Bytes holding the given bits ('0'/'1', other characters ignored) from bit 7 down, followed
// by pad zero bytes.
inline std::vector<uint8_t> bits_to_bytes(const std::string& bits, size_t pad = 0) {
    std::vector<uint8_t> bytes;
    int n = 0;
    for (char ch : bits) {
        if (ch != '0' && ch != '1') continue;
        if (n % 8 == 0) bytes.push_back(0);
        if (ch == '1') bytes.back() |= static_cast<uint8_t>(0x80 >> (n % 8));
        ++n;
    }
    bytes.insert(bytes.end(), pad, 0);
    return bytes;
}

inline std::string zeros(int n) { return std::string(static_cast<size_t>(n), '0'); }
inline std::string ones(int n) { return std::string(static_cast<size_t>(n), '1'); }
