// The pack model of one file and the two lookups that decide which models exist.
#pragma once

struct pack_model {
    int type = 0;   // compression type 1..5: KTA, KTB, ZX7, BLK, TS1
    int coding = 0; // offset coding 1, 2, 4..7
    int offset1 = 0;
    int offset2 = 0;
};

inline constexpr int type_kta = 1;
inline constexpr int type_ktb = 2;
inline constexpr int type_zx7 = 3;
inline constexpr int type_blk = 4;
inline constexpr int type_ts1 = 5;

// 1: the stream starts with a first raw byte; 0: it doesn't; -1: unknown compression type.
int first_byte_flag(int type);
// Number of "o" parameters the coding takes: 0, 1 or 2; -1: unsupported or unknown coding.
int offset_param_count(int coding);
