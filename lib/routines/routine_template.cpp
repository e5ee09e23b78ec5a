// The templates themselves live in generated sources (see CMakeLists.txt).
#include <cstddef>

#include "pack_model.h"
#include "routine_text.h"

// Unsigned, so that any byte of a template (UTF-8 in a comment) fits the initialiser.
extern const unsigned char routine_template_z80[];
extern const std::size_t routine_template_z80_size;
extern const unsigned char routine_template_6502[];
extern const std::size_t routine_template_6502_size;
extern const unsigned char routine_template_z80_ktr[];
extern const std::size_t routine_template_z80_ktr_size;
extern const unsigned char routine_template_6502_ktr[];
extern const std::size_t routine_template_6502_ktr_size;

namespace {
std::string_view text_of(const unsigned char* bytes, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(bytes), size);
}
} // namespace

std::string_view routine_template(target_cpu cpu, int type) {
    if (type == type_ktr)
        return cpu == target_cpu::z80
                   ? text_of(routine_template_z80_ktr, routine_template_z80_ktr_size)
                   : text_of(routine_template_6502_ktr, routine_template_6502_ktr_size);
    return cpu == target_cpu::z80 ? text_of(routine_template_z80, routine_template_z80_size)
                                  : text_of(routine_template_6502, routine_template_6502_size);
}
