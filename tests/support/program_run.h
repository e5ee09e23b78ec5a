// The one way the tests start a program: as a child in a working folder, with the environment
// and standard streams they choose, its standard output and error captured apart, and its exit
// status. No shell comes between: the arguments reach the program exactly as given.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "scratch_folder.h"

struct run_result {
    int status = -1; // the exit status, or 128 + the signal that ended the program
    std::string out; // standard output, unless it went to run_options::stdout_path
    std::string err; // standard error
};

struct run_options {
    std::filesystem::path folder;                   // working folder; empty: the test's own
    std::vector<std::string> env;                   // NAME=value, added or replacing
    std::filesystem::path stdin_path = "/dev/null"; // standard input
    std::filesystem::path stdout_path;              // standard output to this file, uncaptured
    bool err_to_out = false;                        // standard error into standard output
    long file_size_limit = -1;                      // bytes
    bool xfsz_ignored = false; // with the limit: SIGXFSZ ignored, else at its default action
    bool unprivileged = false; // as user nobody when the test runs as root
    bool console = false;      // captured text is console text (see console_text)
};

// A program started and not yet waited for. The streams are captured in unnamed temporary
// files, never in pipes, so that neither can fill up and a daemon that inherits one (a Wine
// server) cannot keep the test waiting.
struct started_program {
    pid_t pid = -1;
    std::FILE* out = nullptr;
    std::FILE* err = nullptr;
    bool console = false;
};

started_program start_program(const std::vector<std::string>& argv, const run_options& o = {});
run_result finish_program(started_program& p);
run_result run_program(const std::vector<std::string>& argv, const run_options& o = {});

// The program under test (see tested_program.h): this build's, or the same program of another
// platform through its runner, in the folder with the arguments, its console text in LF form.
started_program start_tested(const std::string& built_path, const std::vector<std::string>& args,
                             const scratch_folder& dir, run_options o = {});
run_result run_tested(const std::string& built_path, const std::vector<std::string>& args,
                      const scratch_folder& dir, run_options o = {});

// Runs fn in a child set up as o says (folder, limit, user), for an in-process call that needs
// another user, limit or signal action than the test's own: fn's result as the exit status,
// 124 when fn throws, 128 + the signal that ended the child.
int run_in_child(const std::function<int()>& fn, const run_options& o = {});
