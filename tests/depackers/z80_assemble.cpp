// Each call assembles in a scratch folder of its own, removed at once, so that test cases may
// run side by side.
#include "z80_assemble.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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
    std::string tmpl = (fs::temp_directory_path() / "ktz80asm.XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) {
        error = "mkdtemp failed";
        return false;
    }
    const fs::path dir = tmpl;
    const std::string src = (dir / "routine.asm").string(), bin = (dir / "routine.bin").string(),
                      log = (dir / "log").string();
    {
        std::ofstream s(src, std::ios::binary);
        if (org != 0) s << "        org " << org << "\n";
        s << text;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(log.c_str(), "w", stdout) || !freopen(log.c_str(), "a", stderr)) _exit(126);
        if (a == z80_assembler::pasmo)
            execl(tool.c_str(), tool.c_str(), src.c_str(), bin.c_str(), (char*)nullptr);
        else
            execl(tool.c_str(), tool.c_str(), "-o", bin.c_str(), src.c_str(), (char*)nullptr);
        _exit(127);
    }
    int st = 0;
    waitpid(pid, &st, 0);
    std::ifstream b(bin, std::ios::binary), l(log);
    out.assign(std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>());
    error.assign(std::istreambuf_iterator<char>(l), std::istreambuf_iterator<char>());
    fs::remove_all(dir);
    const bool ok = WIFEXITED(st) && WEXITSTATUS(st) == 0 && !out.empty();
    if (ok) error.clear();
    return ok;
}
