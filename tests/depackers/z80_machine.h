// A Z80 with 64 KiB of memory under the z80ex library, set up to call one depacker: the
// routine, a packed stream and a destination in memory, a sentinel return address on the
// stack, every other register holding a known value. Records what the routine writes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct z80_call {
    std::vector<uint8_t> routine;
    uint16_t routine_at = 0x0000;
    std::vector<uint8_t> stream;
    uint16_t stream_at = 0;
    uint16_t out_at = 0;
    uint32_t out_len = 0; // bytes the routine may write at out_at
};

struct z80_result {
    bool returned = false; // reached the sentinel return address in time
    uint64_t t_states = 0; // from the first instruction through the final RET
    uint16_t de = 0, hl = 0, sp = 0;
    bool kept_registers = false; // IX, IY, AF', BC', DE', HL' as they were
    int stray_writes = 0;        // writes outside the output and the routine's stack
    int early_overwrites = 0;    // writes over stream bytes not read yet
    int stack_bytes = 0;         // deepest stack use below the return address
    std::vector<uint8_t> output; // out_len bytes at out_at after the call
    bool rest_unchanged = false; // every byte outside the output and the stack as before
};

inline constexpr uint16_t z80_stack_top = 0x0100; // the return address sits just below
inline constexpr uint16_t z80_free_from = 0x0100; // first address for stream and output

z80_result run_z80(const z80_call& call);

// False when the tests were built without the z80ex library: run_z80 then runs nothing.
bool z80_emulator_available();
