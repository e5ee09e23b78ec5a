#include "pack_model.h"

#include <cstdio>

namespace {
constexpr int first_byte_table[] = {0, 0, 1, 0, 1};          // types 1..5
constexpr int offset_param_table[] = {0, 0, -1, 1, 1, 2, 0}; // codings 1..7
constexpr const char* compression_labels[] = {"KTA", "KTB", "ZX7", "BLK", "TS1"};
} // namespace

int first_byte_flag(int type) {
    if (type < 1 || type > 5) return -1;
    return first_byte_table[type - 1];
}

int offset_param_count(int coding) {
    if (coding < 1 || coding > 7) return -1;
    return offset_param_table[coding - 1];
}

const char* compression_label(int type) {
    if (type < 1 || type > 5) return "???";
    return compression_labels[type - 1];
}

int offset_coding_text(char* buf, unsigned size, const pack_model& m) {
    // The widths print as unsigned, as the header always has; products wrap, not overflow.
    unsigned w1 = static_cast<unsigned>(m.offset1);
    unsigned w2 = static_cast<unsigned>(m.offset2);
    switch (m.coding) {
    case 1: return snprintf(buf, size, "offset 1 byte");
    case 2: return snprintf(buf, size, "offset 2 bytes");
    case 4: return snprintf(buf, size, "4 offs: %u %u %u %u", w1, 2 * w1, 3 * w1, 4 * w1);
    case 5: return snprintf(buf, size, "fixed offset %2u", w1);
    case 6: return snprintf(buf, size, "two offsets %2u %u", w1, w2);
    case 7: return snprintf(buf, size, "elias-gama offset");
    default: return snprintf(buf, size, "(unknown)");
    }
}
