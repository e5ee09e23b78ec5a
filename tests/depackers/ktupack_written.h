// What a user gets from KtuPack -rz80 or -r6502: the program's run (its library, in a folder of
// its own), and the stream and routine source it wrote there, read back as files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ktupack_written {
    std::vector<uint8_t> stream;
    std::string routine;                // the source as written
    std::filesystem::path routine_path; // where it was written
    std::string entry;                  // "depack_" and the model tag without its dash
    std::string messages;               // standard error of the run
};

// Writes input as name in dir, runs KtuPack with options and name there, and reads back the
// stream and the routine it wrote; false (with messages) when it failed or wrote no routine.
bool run_ktupack_in(const std::filesystem::path& dir, const std::string& name,
                    const std::vector<uint8_t>& input, const std::vector<std::string>& options,
                    ktupack_written& w);
