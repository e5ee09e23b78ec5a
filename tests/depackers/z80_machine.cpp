// The memory callbacks see every byte the routine reads and writes, so that stray writes and
// writes over unread stream bytes (an in-place margin too small) are counted where they happen.
#include "z80_machine.h"

#include <z80ex/z80ex.h>

#include <algorithm>
#include <memory>

namespace {

constexpr uint16_t sentinel = 0xFFF0; // never executed: the run stops when PC gets there
constexpr int stack_allowance = 32;

struct machine {
    std::array<uint8_t, 65536> mem{};
    std::array<bool, 65536> read{};
    const z80_call* call = nullptr;
    z80_result* result = nullptr;
};

bool in_range(uint32_t a, uint32_t from, uint32_t len) { return a >= from && a < from + len; }

Z80EX_BYTE mem_read(Z80EX_CONTEXT*, Z80EX_WORD addr, int, void* user) {
    auto* m = static_cast<machine*>(user);
    m->read[addr] = true;
    return m->mem[addr];
}

void mem_write(Z80EX_CONTEXT*, Z80EX_WORD addr, Z80EX_BYTE value, void* user) {
    auto* m = static_cast<machine*>(user);
    const z80_call& c = *m->call;
    const uint32_t stack_low = z80_stack_top - 2 - stack_allowance;
    if (in_range(addr, c.out_at, c.out_len)) {
        // ok
    } else if (addr >= stack_low && addr < z80_stack_top - 2) {
        m->result->stack_bytes = std::max(m->result->stack_bytes, int(z80_stack_top - 2 - addr));
    } else {
        ++m->result->stray_writes;
    }
    if (in_range(addr, c.stream_at, uint32_t(c.stream.size())) && !m->read[addr])
        ++m->result->early_overwrites;
    m->mem[addr] = value;
}

Z80EX_BYTE port_read(Z80EX_CONTEXT*, Z80EX_WORD, void*) { return 0xFF; }
void port_write(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void*) {}
Z80EX_BYTE int_read(Z80EX_CONTEXT*, void*) { return 0xFF; }

// Known values for the registers the routine must keep, and for those it may change.
struct reg_value {
    Z80_REG_T reg;
    uint16_t value;
    bool kept;
};
constexpr reg_value reg_values[] = {
    {regAF, 0x1234, false}, {regBC, 0x5678, false}, {regAF_, 0x9ABC, true}, {regBC_, 0xDEF0, true},
    {regDE_, 0x0F1E, true}, {regHL_, 0x2D3C, true}, {regIX, 0x4B5A, true},  {regIY, 0x6978, true},
};

} // namespace

z80_result run_z80(const z80_call& call) {
    auto m = std::make_unique<machine>();
    z80_result r;
    m->call = &call;
    m->result = &r;
    // A fill that no routine writes by chance, so that a stray write shows as a changed byte.
    uint32_t x = 0x9E3779B9;
    for (auto& b : m->mem) {
        x = x * 1664525 + 1013904223;
        b = uint8_t(x >> 24);
    }
    std::copy(call.routine.begin(), call.routine.end(), m->mem.begin() + call.routine_at);
    std::copy(call.stream.begin(), call.stream.end(), m->mem.begin() + call.stream_at);
    m->mem[z80_stack_top - 2] = sentinel & 0xFF;
    m->mem[z80_stack_top - 1] = sentinel >> 8;
    const auto before = m->mem;

    Z80EX_CONTEXT* cpu = z80ex_create(mem_read, m.get(), mem_write, m.get(), port_read, nullptr,
                                      port_write, nullptr, int_read, nullptr);
    for (const auto& v : reg_values) z80ex_set_reg(cpu, v.reg, v.value);
    z80ex_set_reg(cpu, regHL, call.stream_at);
    z80ex_set_reg(cpu, regDE, call.out_at);
    z80ex_set_reg(cpu, regSP, z80_stack_top - 2);
    z80ex_set_reg(cpu, regPC, call.routine_at);

    // Far more than any routine needs per byte: a routine that loops forever stops here.
    const uint64_t limit = 2000000 + 400ull * (call.out_len + call.stream.size());
    while (r.t_states < limit && z80ex_get_reg(cpu, regPC) != sentinel)
        r.t_states += uint64_t(z80ex_step(cpu));
    r.returned = z80ex_get_reg(cpu, regPC) == sentinel;
    r.de = z80ex_get_reg(cpu, regDE);
    r.hl = z80ex_get_reg(cpu, regHL);
    r.sp = z80ex_get_reg(cpu, regSP);
    r.kept_registers = true;
    for (const auto& v : reg_values)
        if (v.kept && z80ex_get_reg(cpu, v.reg) != v.value) r.kept_registers = false;
    z80ex_destroy(cpu);

    r.output.assign(m->mem.begin() + call.out_at, m->mem.begin() + call.out_at + call.out_len);
    r.rest_unchanged = true;
    for (uint32_t a = 0; a < 65536; ++a) {
        const bool stack =
            a >= uint32_t(z80_stack_top - 2 - stack_allowance) && a < z80_stack_top - 2u;
        if (!stack && !in_range(a, call.out_at, call.out_len) && m->mem[a] != before[a])
            r.rest_unchanged = false;
    }
    return r;
}

bool z80_emulator_available() { return true; }
