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
inline constexpr int driver_changed_zero_page = 16;
// Not the driver's own: it exited 0 but did not write the original back (run_check).
inline constexpr int driver_no_echo = 17;

struct m6502_bench {
    std::filesystem::path dir;
    explicit m6502_bench(std::filesystem::path d) : dir(std::move(d)) {}
    std::string log; // what the last failing tool said
};

// Whether cl65, ca65, ld65 and sim65 were found when the tests were built.
bool have_cc65();

// A routine as the driver calls it.
struct m6502_routine {
    std::string source; // path of its source
    std::string entry;  // its entry label; the pointers are entry_src and entry_dst
    int zp_len = 0;     // its zero-page bytes, which lie from entry_src on
};

// The "Uses N zero-page bytes" of a routine's comment block; 0 when it states none.
int stated_zero_page(const std::string& source_text);

// Links the driver with the routine and the stream; false when cl65 fails.
bool build_driver(m6502_bench& b, const m6502_routine& r, const std::vector<uint8_t>& stream,
                  const m6502_layout& at);
// The checking run with the original on standard input: the driver's exit status, or -1;
// driver_no_echo where it exited 0 without writing out the original, as only its way through
// every check does.
int run_check(m6502_bench& b, const std::vector<uint8_t>& original);
// Cycles of the call from the routine's first instruction through its rts; -1 on failure.
long long call_cycles(m6502_bench& b);
