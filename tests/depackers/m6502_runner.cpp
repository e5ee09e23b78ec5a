// Each tool runs as a child through the tests' shared runner; sim65 -c prints "N cycles" as its
// last line.
#include "m6502_runner.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "program_run.h"

namespace fs = std::filesystem;

namespace {

// Far more than any run here takes: a routine that never returns is stopped by sim65.
const char* const cycle_limit = "400000000";

// Runs argv in dir with stdin from in_file (or /dev/null), both output streams into out; the
// exit status, or 128 + the signal that ended it.
int run_tool(const fs::path& dir, const std::vector<std::string>& argv, const fs::path& in_file,
             std::string& out) {
    run_options o;
    o.folder = dir;
    if (!in_file.empty()) o.stdin_path = in_file;
    o.err_to_out = true;
    const run_result r = run_program(argv, o);
    out = r.out;
    return r.status;
}

long long cycles_of(m6502_bench& b, const std::vector<std::string>& extra) {
    std::vector<std::string> argv = {SIM65_PATH, "-c", "-x", cycle_limit, "driver"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    std::string out;
    if (run_tool(b.dir, argv, {}, out) != 0) {
        b.log = out;
        return -1;
    }
    const auto end = out.rfind(" cycles");
    const auto start = out.rfind('\n', end == std::string::npos ? 0 : end);
    if (end == std::string::npos) {
        b.log = out;
        return -1;
    }
    return std::stoll(out.substr(start == std::string::npos ? 0 : start + 1, end));
}

} // namespace

bool have_cc65() {
    return std::string(CL65_PATH).size() > 0 && std::string(SIM65_PATH).size() > 0 &&
           std::string(CA65_PATH).size() > 0 && std::string(LD65_PATH).size() > 0;
}

int stated_zero_page(const std::string& source_text) {
    const auto at = source_text.find(" Uses ");
    if (at == std::string::npos) return 0;
    return std::atoi(source_text.c_str() + at + 6);
}

bool build_driver(m6502_bench& b, const m6502_routine& r, const std::vector<uint8_t>& stream,
                  const m6502_layout& at) {
    write_file(b.dir / "packed.bin", stream);
    // Copies, so that cl65 leaves its object files in the scratch folder.
    fs::copy_file(SIM6502_DRIVER, b.dir / "driver.s", fs::copy_options::overwrite_existing);
    fs::copy_file(r.source, b.dir / "depack.s", fs::copy_options::overwrite_existing);
    {
        std::ofstream names(b.dir / "names.inc");
        names << ".import " << r.entry << "\n.importzp " << r.entry << "_src, " << r.entry
              << "_dst\ndepack = " << r.entry << "\ndepack_src = " << r.entry
              << "_src\ndepack_dst = " << r.entry << "_dst\n";
    }
    const auto def = [](const char* name, long v) {
        return name + std::string("=") + std::to_string(v);
    };
    const std::vector<std::string> argv = {CL65_PATH,
                                           "-t",
                                           "sim6502",
                                           "--bin-include-dir",
                                           ".",
                                           "--asm-define",
                                           def("OUT_AT", at.out_at),
                                           "--asm-define",
                                           def("OUT_LEN", at.out_len),
                                           "--asm-define",
                                           def("STREAM_AT", at.stream_at),
                                           "--asm-define",
                                           def("STREAM_LEN", long(stream.size())),
                                           "--asm-define",
                                           def("AREA_LEN", at.area_len),
                                           "--asm-define",
                                           def("ZP_LEN", r.zp_len),
                                           "-o",
                                           "driver",
                                           "driver.s",
                                           "depack.s"};
    std::string out;
    if (run_tool(b.dir, argv, {}, out) != 0 || out.find("Warning") != std::string::npos) {
        b.log = out;
        return false;
    }
    return true;
}

int run_check(m6502_bench& b, const std::vector<uint8_t>& original) {
    write_file(b.dir / "original.bin", original);
    std::string out;
    const int status =
        run_tool(b.dir, {SIM65_PATH, "-x", cycle_limit, "driver"}, b.dir / "original.bin", out);
    b.log = out;
    if (status == driver_ok &&
        (out.size() != original.size() ||
         !std::equal(original.begin(), original.end(), out.begin(),
                     [](uint8_t a, char c) { return a == static_cast<uint8_t>(c); })))
        return driver_no_echo;
    return status;
}

long long call_cycles(m6502_bench& b) {
    const long long with_call = cycles_of(b, {"m"});
    const long long without = cycles_of(b, {"b", "b"});
    if (with_call < 0 || without < 0) return -1;
    // The call path takes a branch not taken (2 cycles) and the jsr (6) where the other takes it
    // (3).
    return with_call - without - 5;
}
