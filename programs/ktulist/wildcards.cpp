#include "wildcards.h"

#include <sys/stat.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>
#else
#include <glob.h>
#endif

void expand_argument(const std::string& arg, std::vector<std::string>& names) {
    struct stat st;
    const size_t before = names.size();
#ifdef _WIN32
    // Expanded here, not by the C runtime, whose names would reach the lister as options when
    // they start with a dash; in the order the folder lists them, as the runtime gives them.
    if (arg.find_first_of("*?") != std::string::npos && stat(arg.c_str(), &st) != 0) {
        WIN32_FIND_DATAA found;
        const HANDLE h = FindFirstFileA(arg.c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            const size_t sep = arg.find_last_of("/\\:");
            const std::string folder = sep == std::string::npos ? "" : arg.substr(0, sep + 1);
            do {
                if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
                    names.push_back(folder + found.cFileName);
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        if (names.size() > before) return;
    }
#else
    if (arg.find_first_of("*?[") != std::string::npos && stat(arg.c_str(), &st) != 0) {
        glob_t found{};
        if (glob(arg.c_str(), 0, nullptr, &found) == 0)
            for (size_t i = 0; i < found.gl_pathc; ++i) names.emplace_back(found.gl_pathv[i]);
        globfree(&found);
        if (names.size() > before) return;
    }
#endif
    names.push_back(arg);
}
