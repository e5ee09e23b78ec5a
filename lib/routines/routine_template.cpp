// The templates themselves live in generated sources (see CMakeLists.txt).
#include <cstddef>

#include "routine_text.h"

extern const char routine_template_z80[];
extern const std::size_t routine_template_z80_size;
extern const char routine_template_6502[];
extern const std::size_t routine_template_6502_size;

std::string_view routine_template(target_cpu cpu) {
    return cpu == target_cpu::z80
               ? std::string_view(routine_template_z80, routine_template_z80_size)
               : std::string_view(routine_template_6502, routine_template_6502_size);
}
