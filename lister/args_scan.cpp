// Options act on the file arguments after them. Wildcards the shell left unexpanded are
// expanded here, so that each match is a file argument of its own.
#include "args_scan.h"

#include <glob.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "file_job.h"
#include "name_model.h"
#include "output_name.h"

namespace {

struct run_settings {
    run_mode mode = run_mode::list;
    std::string ext = "out";
    unsigned file_count = 0;
};

void print_usage() {
    static const char* const lines[] = {
        "",
        "Universal KTU Lister and Depacker",
        "",
        "  Use: KtuList <options> file1 file2 ...",
        "",
        "Options:",
        " -l ........ write listing of pack model of file(s) to stdout (default option)",
        " -d ........ depack and write to output file with extension 'out' (or set by the -e)",
        " -u ........ the same as -d with removing compress info -tXX.. from output filename",
        " -e<ext> ... set extension for output files (default extension is 'out')",
        "",
        "You can use wildcards in filenames to list or depack more files together.",
        "",
    };
    for (const char* line : lines) puts(line);
}

void take_option(const std::string& arg, run_settings& run) {
    switch (arg.size() > 1 ? arg[1] : '\0') {
    case 'l': case 'L': run.mode = run_mode::list; break;
    case 'd': case 'D': run.mode = run_mode::depack; break;
    case 'u': case 'U': run.mode = run_mode::strip; break;
    case 'e': case 'E': run.ext = arg.substr(2); break;
    default: printf("Error: Invalid option %s\n", arg.c_str()); break;
    }
}

// The names an argument stands for: itself, unless it is a wildcard pattern that names
// no existing file and matches some (sorted, as glob gives them).
std::vector<std::string> expand_argument(const std::string& arg) {
    struct stat st;
    if (arg.find_first_of("*?[") == std::string::npos || stat(arg.c_str(), &st) == 0) return {arg};
    glob_t found{};
    std::vector<std::string> names;
    if (glob(arg.c_str(), 0, nullptr, &found) == 0)
        for (size_t i = 0; i < found.gl_pathc; ++i) names.emplace_back(found.gl_pathv[i]);
    globfree(&found);
    if (names.empty()) names.push_back(arg);
    return names;
}

void take_file(const std::string& arg, run_settings& run) {
    if (run.mode == run_mode::list) printf("\n");
    ++run.file_count;
    name_model model;
    if (!model_from_name(arg, model)) return;
    const size_t cut = run.mode == run_mode::strip ? model.strip_cut : model.base_end;
    process_file(arg, model, run.mode, output_name(arg, cut, run.ext));
}

} // namespace

int run_ktulist(int argc, char** argv) {
    if (argc < 2) {
        print_usage();
        return 1;
    }
    run_settings run;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!arg.empty() && arg[0] == '-') {
            take_option(arg, run);
            continue;
        }
        for (const std::string& name : expand_argument(arg)) take_file(name, run);
    }
    if (run.file_count == 0) puts("Error: No input files");
    return 0;
}
