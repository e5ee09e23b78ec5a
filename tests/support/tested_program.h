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

// Whether the programs under test are Windows programs (KT_PROGRAM_SYSTEM=Windows), for the
// few cases whose right result is the platform's own, such as names that differ in case.
bool tested_on_windows();

// The system's reason the programs print when a folder is opened as a file: EISDIR, or EACCES
// from the Windows C runtime.
std::string folder_reason();
// The reason for a name with a wildcard character that matches no file: ENOENT, or EINVAL on
// Windows, whose file names cannot hold one.
std::string wildcard_name_reason();

// Console output as the program meant it: with KT_CONSOLE_CRLF set (programs whose C runtime
// writes the console in text mode, as on Windows), every line must end in CR LF, which becomes
// LF. Files the programs write are binary on every platform and are never changed.
std::string console_text(std::string captured);
