// The two Z80 assemblers a user may have, run on a routine's text as a user would run them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class z80_assembler { pasmo, z80asm };

// The assembler's path as the build found it; empty when the machine has none.
std::string assembler_path(z80_assembler a);

// Assembles text, with "org N" put before it when org is not 0. False with the assembler's
// messages in error when it fails or is missing.
bool assemble_z80(z80_assembler a, const std::string& text, uint16_t org, std::vector<uint8_t>& out,
                  std::string& error);
