// The target routine KtuPack writes beside a stream with -rz80 or -r6502: its name, its size
// for the model choice, and its text, specialised to the stream's model and widths.
#pragma once

#include <string>

#include "pack_model.h"
#include "routine_text.h"

enum class ktu_cpu { none, z80, m6502 };

// "Z80" or "6502", as the messages name the CPU.
const char* cpu_label(ktu_cpu cpu);

// The routine's file: the output name with its extension replaced by ".asm" (Z80) or ".s"
// (6502), or with that appended when it has none (the extension rule of base_end.h).
std::string routine_name(const std::string& output, ktu_cpu cpu);

// Bytes of the model's assembled routine on the CPU; -1 when the CPU has no routine for it.
int routine_bytes(ktu_cpu cpu, const pack_model& model);

// The routine's source for the model; false when there is none.
bool routine_source(ktu_cpu cpu, const pack_model& model, std::string& text);
