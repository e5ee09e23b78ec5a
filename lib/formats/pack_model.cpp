#include "pack_model.h"

namespace {
constexpr int first_byte_table[] = {0, 0, 1, 0, 1};          // types 1..5
constexpr int offset_param_table[] = {0, 0, -1, 1, 1, 2, 0}; // codings 1..7
} // namespace

int first_byte_flag(int type) {
    if (type < 1 || type > 5) return -1;
    return first_byte_table[type - 1];
}

int offset_param_count(int coding) {
    if (coding < 1 || coding > 7) return -1;
    return offset_param_table[coding - 1];
}
