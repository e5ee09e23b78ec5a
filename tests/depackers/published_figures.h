// The sizes and speeds the README table and the routines' own comment blocks state, read back
// so that the tests can hold them against what they measured.
#pragma once

#include <string>

struct stated_figures {
    bool found = false;
    int size = 0;     // bytes
    double speed = 0; // T-states or cycles per output byte
};

// The README table row whose first cell is the routine's path in backquotes, such as
// `depackers/z80/kta.asm`: | routine | size | speed ... | block copy |.
stated_figures readme_figures(const std::string& readme, const std::string& routine_path);

// The "Size: N bytes. Speed: X ..." line of a routine's comment block.
stated_figures header_figures(const std::string& source);

std::string read_text(const std::string& path);

// Whether a stated speed agrees with a measured one: within 2 %, as the corpus takes real files
// of the machine, which differ a little between systems.
bool speed_agrees(double stated, double measured);

// Expects the README row and the routine's comment block (source relative to the project)
// to state the measured size and speed; a failure gives the line to paste. unit names the
// speed ("T-states"), block_copy the last cell of the README row.
void expect_figures_stated(const char* source, int size, double speed, const char* unit,
                           const char* block_copy);

// The row of the README table whose header's first cell is title (such as "Routine (Z80)") and
// whose first cell is the entry in backquotes: | `depack_t34o4` | size | speed ... |.
stated_figures readme_table_figures(const std::string& readme, const std::string& title,
                                    const std::string& entry);

// Cell index (0 the entry) of that row; empty when there is none.
std::string readme_table_cell(const std::string& readme, const std::string& title,
                              const std::string& entry, size_t index);

// Expects that row and the "; Size: ... Speed: ..." line of the routine's text to state the
// measured figures; a failure gives the lines to paste.
void expect_model_figures_stated(const std::string& title, const std::string& entry,
                                 const std::string& text, int size, double speed, const char* unit);
