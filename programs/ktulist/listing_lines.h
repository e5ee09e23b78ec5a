// The lines KtuList prints about one file: the header with the model description, the
// token lines, the pending literal-run line and the statistics line.
#pragma once

#include <cstdint>

#include "pack_model.h"

// The line that stands for the literal runs read since the last sequence.
struct pending_line {
    uint32_t length = 0; // 0: no line pending
    int32_t pack = 0;    // stream position at the start of its first run
    int32_t unpack = 0;  // output position at the start of its first run
};

struct file_stats {
    int32_t packed_pos = 0; // stream position at the close
    int32_t unpacked = 0;   // output position at the close
    uint32_t num_sek = 0;
    uint32_t packed = 0;  // bytes produced by sequences
    uint32_t no_pack = 0; // bytes carried by literal runs
    uint32_t overhead_bits = 0;
};

// The names a listing header gives the model, from the format table: the type's label ("???"
// for any other type), and the offset coding's text with its widths ("(unknown)" for any other
// coding).
const char* compression_label(int type);
// Writes the coding's text into buf (always terminated, cut to size) and gives the length of
// the whole text, as snprintf does.
int offset_coding_text(char* buf, unsigned size, const pack_model& model);

// Label, coding text and dots of the header's "Compression" line, ending in a space.
void describe_model(const pack_model& model);
void print_header(const char* name, int32_t size, const pack_model& model);
void print_first_byte_line(uint8_t first);
// A KTR repeat has the same line, "Repeated" for "Sekvence", showing the offset it reuses.
void print_sequence_line(int32_t pack, int32_t unpack, uint32_t length, uint32_t offset,
                         bool repeat);
void print_end_mark_line(int32_t pack, int32_t unpack);
// Prints the pending line, if any, from the bytes at its Unpack in out, and clears it.
void print_pending_line(pending_line& line, const uint8_t* out);
void print_stats_line(const char* name, const file_stats& stats);
