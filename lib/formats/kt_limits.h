// The limits of what KtaPack and KtbPack write, defined once for the writers and the reader.
// The reader accepts wider forms (see byte_formats.h); these are the writers' ranges.
#pragma once

#include <cstdint>

inline constexpr int kta_max_literal_run = 127;
inline constexpr int kta_max_seq_len = 127;
inline constexpr int kta_max_offset = 255;

inline constexpr int ktb_max_literal_run = 0x3FFF;
inline constexpr int ktb_max_seq_len = 0x3FFF;
inline constexpr int ktb_max_offset = 0x7FFF;
// Largest count held by a one-byte KTB control byte, and largest one-byte KTB offset.
inline constexpr int ktb_short_count_max = 63;
inline constexpr int ktb_short_offset_max = 127;

// KTB control-byte bits.
inline constexpr uint8_t ktb_long_count_flag = 0x80;
inline constexpr uint8_t ktb_sequence_flag = 0x40;
inline constexpr uint8_t ktb_long_offset_flag = 0x80;

inline constexpr uint8_t kt_end_mark = 0x00;
