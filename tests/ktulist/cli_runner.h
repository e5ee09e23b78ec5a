// Runs the built KtuList in a directory of its own and collects all it leaves behind:
// standard output, standard error, exit status and the files of the directory.
#pragma once

#include <map>
#include <string>
#include <vector>

struct cli_result {
    std::string out;
    std::string err;
    int status = -1;
};

// A fresh directory under the system's temporary directory, removed with its contents.
struct temp_dir {
    std::string root; // holds the work directory and the captured streams
    std::string path; // the work directory the program runs in
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
};

// Creates the directories the path names as needed.
void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
// Regular files under dir, by path relative to it; symbolic links are listed as
// "-> target" so that a test sees them too.
std::map<std::string, std::string> dir_files(const std::string& dir);

// Runs program (through the platform's runner, see tested_program.h) with args in dir.
cli_result run_program_in(const temp_dir& dir, const std::string& program,
                          const std::vector<std::string>& args);
cli_result run_ktulist_in(const temp_dir& dir, const std::vector<std::string>& args);
