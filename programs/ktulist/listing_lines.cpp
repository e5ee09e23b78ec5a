// Every text here is fixed by what users and their scripts read; the widths and the
// spellings ("Sekvence", "NumSek", "elias-gama") stay as they have always been.
#include "listing_lines.h"

#include <cstdio>

#include "format_table.h"

const char* compression_label(int type) {
    const compression_type_row* row = find_type(type);
    return row == nullptr ? "???" : row->label;
}

int offset_coding_text(char* buf, unsigned size, const pack_model& m) {
    const offset_coding_row* row = find_coding(m.coding);
    if (row == nullptr) return snprintf(buf, size, "(unknown)");
    // The widths print as unsigned, as the header always has; products wrap, not overflow.
    const unsigned w1 = static_cast<unsigned>(m.offset1);
    const unsigned w2 = static_cast<unsigned>(m.offset2);
    unsigned v[4] = {0, 0, 0, 0};
    if (row->values == label_values::widths) {
        v[0] = w1;
        v[1] = w2;
    } else if (row->values == label_values::class_widths) {
        for (unsigned k = 0; k < 4; ++k) v[k] = (k + 1) * w1;
    }
    // The label takes as many of the four values as it has conversions; the rest are unused.
    return snprintf(buf, size, row->label, v[0], v[1], v[2], v[3]);
}

void describe_model(const pack_model& model) {
    static const char dots[] = "....................";
    constexpr int dot_column = 20;
    char text[64]; // the longest text, coding 4 with four 10-digit widths, takes 51
    int n = offset_coding_text(text, sizeof text, model);
    if (n < 0 || n > dot_column) n = dot_column; // a long text gets no dots, only the spaces
    printf("%s %s %s ", compression_label(model.type), text, dots + n);
}

void print_header(const char* name, int32_t size, const pack_model& model) {
    printf("List of file ... %s  (%u bytes)\nCompression .... ", name, static_cast<unsigned>(size));
    describe_model(model);
    printf("\n\n");
}

void print_first_byte_line(uint8_t first) {
    printf("Pack:%+6d   Unpack:%+6d  ...  First byte 0x%02X\n", 0, 0, first);
}

void print_sequence_line(int32_t pack, int32_t unpack, uint32_t length, uint32_t offset,
                         bool repeat) {
    printf("Pack:%+6d   Unpack:%+6d  ...  %s ... Length: %-5u  Offset: %-5u \n", pack, unpack,
           repeat ? "Repeated" : "Sekvence", length, offset);
}

void print_end_mark_line(int32_t pack, int32_t unpack) {
    printf("Pack:%+6d   Unpack:%+6d  ...  End mark\n", pack, unpack);
}

void print_pending_line(pending_line& line, const uint8_t* out) {
    constexpr uint32_t shown = 16;
    if (line.length == 0) return;
    printf("Pack:%+6d   Unpack:%+6d  ...  Unpacked ... Length: %-5u      Data: ", line.pack,
           line.unpack, line.length);
    for (uint32_t k = 0; k < line.length && k < shown; ++k) printf(" %02X", out[line.unpack + k]);
    if (line.length > shown) printf(" ...");
    printf("\n");
    line.length = 0;
}

void print_stats_line(const char* name, const file_stats& stats) {
    const unsigned overhead_bytes = static_cast<unsigned>((uint64_t{stats.overhead_bits} + 7) / 8);
    printf(
        "%-32s  %5u => %-5u  NumSek: %-4u  Packed: %-5u  NoPack: %-5u  Overhead: %-5u (%u bits)\n",
        name, static_cast<unsigned>(stats.packed_pos), static_cast<unsigned>(stats.unpacked),
        stats.num_sek, stats.packed, stats.no_pack, overhead_bytes, stats.overhead_bits);
}
