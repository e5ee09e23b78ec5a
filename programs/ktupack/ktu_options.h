// KtuPack's command line: options act on the files after them. Read whole before any file is
// touched, so that a bad option or model refuses the run with nothing read or written.
#pragma once

#include <string>
#include <vector>

#include "ktu_routine.h"
#include "pack_model.h"

struct ktu_file_job {
    std::string name;
    bool search = true; // -b: the smallest model of the search set
    int group = 0;      // -B: files with the same group number share the model of least total
    ktu_cpu cpu = ktu_cpu::none; // -rz80, -r6502: the routine counts and is written
    pack_model model;            // -t: this model
    bool verbose = false;
    bool quiet = false; // -q: nothing but errors
    bool force = false; // -f: an existing output is replaced
    std::string output; // -o NAME, or empty for the name with the model tag
};

struct ktu_run {
    std::vector<ktu_file_job> files;
};

enum class ktu_args_outcome { run, usage_ok, usage_fail, version, refused };

struct ktu_args {
    ktu_args_outcome outcome = ktu_args_outcome::run;
    std::string message; // refused: what to print, without the program name
};

// Reads argv[1..argc). -h and -V end the reading at once, as does the first refusal.
ktu_args read_ktu_args(int argc, char** argv, ktu_run& run);

// Reads a model option's text after "-t" exactly as a name tag is written: T, C, and "o" with
// a width for each width the coding takes. Gives an empty text, or why the model is refused.
std::string read_model_tag(const std::string& text, pack_model& model);
