// Helpers shared by the packer tests: packing in memory on fresh tables, a small depacker
// built on decode_token, and running the built programs in a scratch directory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pack_tables.h"
#include "write_path.h"

using bytes = std::vector<uint8_t>;

bytes to_bytes(const std::string& s);

// Zeroed tables, as a program starts with them.
std::unique_ptr<pack_tables> fresh_tables();

struct packed {
    int status = 0; // the program's exit status for the phases' result
    bytes stream;
    emit_figures fig;
    std::string printed; // the message the program prints for it
};

// All phases of the KTB (ktb = true) or KTA packer over in, with the fast or the plain walk.
packed pack_bytes(const bytes& in, bool ktb, bool plain = false);

// Depacks a KTA or KTB stream; false when it is malformed or a copy reaches before the start.
bool depack(const bytes& stream, bool ktb, bytes& out);

bytes read_file(const std::filesystem::path& p);
void write_file(const std::filesystem::path& p, const bytes& b);

// A scratch directory removed at the end of the test.
struct scratch_dir {
    std::filesystem::path path;
    scratch_dir();
    ~scratch_dir();
};

struct run_result {
    int status = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs program with args in dir; arguments are passed as they are, without a shell.
run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::filesystem::path& dir);
// The same for a program under test (see tested_program.h): this build's, or another
// platform's through its runner, with its console text in LF form.
run_result run_tested(const std::string& built_path, const std::vector<std::string>& args,
                      const std::filesystem::path& dir);
