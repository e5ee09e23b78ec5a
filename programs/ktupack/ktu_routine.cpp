#include "ktu_routine.h"

#include "base_end.h"
#include "routine_size.h"

namespace {
target_cpu target_of(ktu_cpu cpu) {
    return cpu == ktu_cpu::z80 ? target_cpu::z80 : target_cpu::m6502;
}

pack_model_desc desc_of(const pack_model& m) { return {m.type, m.coding, m.offset1, m.offset2}; }
} // namespace

const char* cpu_label(ktu_cpu cpu) { return cpu == ktu_cpu::z80 ? "Z80" : "6502"; }

std::string routine_name(const std::string& output, ktu_cpu cpu) {
    return output.substr(0, base_end(output)) + (cpu == ktu_cpu::z80 ? ".asm" : ".s");
}

int routine_bytes(ktu_cpu cpu, const pack_model& model) {
    if (cpu == ktu_cpu::none) return 0;
    return routine_size(target_of(cpu), desc_of(model));
}

bool routine_source(ktu_cpu cpu, const pack_model& model, std::string& text) {
    std::string error;
    if (cpu == ktu_cpu::none || routine_bytes(cpu, model) < 0) return false;
    return specialise_routine(routine_template(target_of(cpu), model.type), desc_of(model), text,
                              error);
}
