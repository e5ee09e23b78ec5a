// The tables are C initialiser lines written by tools/routine_sizes.sh; a search over 1,330
// rows is cheaper than any index for the few calls a program makes.
#include "routine_size.h"

namespace {

struct size_row {
    int type, coding, offset1, offset2, size;
};

const size_row z80_rows[] = {
#include "routine_sizes_z80.inc"
    {0, 0, 0, 0, -1}};

const size_row m6502_rows[] = {
#include "routine_sizes_6502.inc"
    {0, 0, 0, 0, -1}};

} // namespace

int routine_size(target_cpu cpu, const pack_model_desc& m) {
    const size_row* r = cpu == target_cpu::z80 ? z80_rows : m6502_rows;
    for (; r->type != 0; ++r)
        if (r->type == m.type && r->coding == m.coding && r->offset1 == m.offset1 &&
            r->offset2 == m.offset2)
            return r->size;
    return -1;
}
