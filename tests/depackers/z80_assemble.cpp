// Each call assembles in a scratch folder of its own, removed at once, so that test cases may
// run side by side.
#include "z80_assemble.h"

#include <filesystem>

#include "program_run.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

std::string assembler_path(z80_assembler a) {
    return a == z80_assembler::pasmo ? KT_PASMO_PATH : KT_Z80ASM_PATH;
}

bool assemble_z80(z80_assembler a, const std::string& text, uint16_t org, std::vector<uint8_t>& out,
                  std::string& error) {
    out.clear();
    const std::string tool = assembler_path(a);
    if (tool.empty()) {
        error = "assembler not found";
        return false;
    }
    const scratch_folder dir;
    const fs::path src = dir.path / "routine.asm", bin = dir.path / "routine.bin";
    write_file(src,
               (org != 0 ? "        org " + std::to_string(org) + "\n" : std::string()) + text);
    run_options o;
    o.err_to_out = true;
    const run_result r = a == z80_assembler::pasmo
                             ? run_program({tool, src.string(), bin.string()}, o)
                             : run_program({tool, "-o", bin.string(), src.string()}, o);
    if (fs::exists(bin)) out = read_bytes(bin);
    const bool ok = r.status == 0 && !out.empty();
    error = ok ? std::string() : r.out;
    return ok;
}
