// Builds the sim65 driver with one 6502 depacker and one packed stream in a scratch folder
// (cl65), and runs it under sim65: the checking run, and the two runs whose cycle counts
// differ by the call.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "scratch_folder.h"

// Where the driver puts things, as offsets into its area of $A5 bytes.
struct m6502_layout {
    long out_at = 0;
    long out_len = 0;
    long stream_at = 0;
    long area_len = 0;
};

// The driver's exit statuses.
inline constexpr int driver_ok = 0;
inline constexpr int driver_bad_end = 10;
inline constexpr int driver_changed_memory = 11;
inline constexpr int driver_bad_data = 12;
inline constexpr int driver_bad_length = 13;
inline constexpr int driver_bad_src = 15;

struct m6502_bench {
    std::filesystem::path dir;
    explicit m6502_bench(std::filesystem::path d) : dir(std::move(d)) {}
    std::string log; // what the last failing tool said
};

// Links the driver with the routine and the stream; false when cl65 fails.
bool build_driver(m6502_bench& b, const std::string& routine_source,
                  const std::vector<uint8_t>& stream, const m6502_layout& at);
// The checking run with the original on standard input: the driver's exit status, or 128 + the
// signal that ended sim65.
int run_check(m6502_bench& b, const std::vector<uint8_t>& original);
// Cycles of the call from the routine's first instruction through its rts; -1 on failure.
long long call_cycles(m6502_bench& b);
