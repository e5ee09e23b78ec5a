// Options act on the file arguments after them. Wildcards the shell left unexpanded are
// expanded here, all of them before the first file is touched, so that a pattern never
// matches an output the run itself wrote.
#include "args_scan.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "file_job.h"
#include "name_messages.h"
#include "name_model.h"
#include "output_name.h"
#include "stdout_check.h"
#include "wildcards.h"

namespace {

struct run_settings {
    run_mode mode = run_mode::list;
    std::string ext = "out";
    unsigned file_count = 0;
};

struct scan_item {
    std::string text;
    bool option;
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
    case 'l':
    case 'L': run.mode = run_mode::list; break;
    case 'd':
    case 'D': run.mode = run_mode::depack; break;
    case 'u':
    case 'U': run.mode = run_mode::strip; break;
    case 'e':
    case 'E': run.ext = arg.substr(2); break;
    default: printf("Error: Invalid option %s\n", arg.c_str()); break;
    }
}

void take_file(const std::string& arg, run_settings& run) {
    if (run.mode == run_mode::list) printf("\n");
    ++run.file_count;
    name_model model;
    const name_status s = model_from_name(arg, model);
    if (s.error != name_error::none) {
        print_name_error(arg, s);
        return;
    }
    const size_t cut = run.mode == run_mode::strip ? model.strip_cut : model.base_end;
    process_file(arg, model, run.mode, output_name(arg, cut, run.ext));
}

int run_arguments(int argc, char** argv) {
    if (argc < 2) {
        print_usage();
        return 1;
    }
    // Every pattern expanded before the first file is processed; a name a pattern gives is a
    // name even when it starts with a dash.
    std::vector<scan_item> items;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!arg.empty() && arg[0] == '-') {
            items.push_back({arg, true});
            continue;
        }
        std::vector<std::string> names;
        expand_argument(arg, names);
        for (std::string& name : names) items.push_back({std::move(name), false});
    }
    run_settings run;
    for (const scan_item& item : items) {
        if (item.option)
            take_option(item.text, run);
        else
            take_file(item.text, run);
    }
    if (run.file_count == 0) puts("Error: No input files");
    return 0;
}

} // namespace

int run_ktulist(int argc, char** argv) { return finish_stdout(run_arguments(argc, argv)); }
