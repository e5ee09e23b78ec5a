// The program an end-to-end test runs: the one this build made, or the same program of another
// build (the Windows .exe files) run through a runner such as wine, as CTest asks through
// the environment. The same test binaries so check the programs of both platforms.
#pragma once

#include <string>
#include <vector>

// The command line that starts the program built at built_path. With KT_PROGRAM_DIR set, the
// program of the same name there (KT_PROGRAM_SUFFIX appended, e.g. ".exe") is run instead,
// after the words of KT_RUNNER; a program missing there is an error, never a fallback.
std::vector<std::string> tested_command(const std::string& built_path);

// argv for execvp: command, then args; the pointers point into the two vectors.
std::vector<char*> exec_argv(std::vector<std::string>& command, std::vector<std::string>& args);

// Console output as the program meant it: with KT_CONSOLE_CRLF set (programs whose C runtime
// writes the console in text mode, as on Windows), every line must end in CR LF, which becomes
// LF. Files the programs write are binary on every platform and are never changed.
std::string console_text(std::string captured);
