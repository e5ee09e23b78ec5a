// The pack model of one file and the two lookups that decide which models exist. The types and
// codings themselves, with everything known of them, are rows of format_table.h.
#pragma once

struct pack_model {
    int type = 0;   // compression type: a row of format_table.h, KTA, KTB, ZX7, BLK, TS1 or KTR
    int coding = 0; // offset coding: a row of format_table.h, 1, 2 or 4 to 7
    int offset1 = 0;
    int offset2 = 0;
};

inline constexpr int type_kta = 1;
inline constexpr int type_ktb = 2;
inline constexpr int type_zx7 = 3;
inline constexpr int type_blk = 4;
inline constexpr int type_ts1 = 5;
inline constexpr int type_ktr = 6;

// The offset codings by their numbers; 3 is none.
inline constexpr int coding_one_byte = 1;  // one byte
inline constexpr int coding_two_bytes = 2; // one byte, or two with the top bit set
inline constexpr int coding_classes = 4;   // a 2-bit class, then class + 1 times offset1 bits
inline constexpr int coding_fixed = 5;     // offset1 bits
inline constexpr int coding_two = 6;       // a flag, then offset1 or offset2 bits
inline constexpr int coding_gamma = 7;     // an Elias gamma code

// 1: the stream starts with a first raw byte; 0: it doesn't; -1: unknown compression type.
int first_byte_flag(int type);
// Number of "o" parameters the coding takes: 0, 1 or 2; -1: unsupported or unknown coding.
int offset_param_count(int coding);
