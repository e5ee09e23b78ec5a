#include "wildcards.h"

#include <sys/stat.h>

#ifndef _WIN32
#include <glob.h>
#endif

void expand_argument(const std::string& arg, std::vector<std::string>& names) {
#ifndef _WIN32
    struct stat st;
    if (arg.find_first_of("*?[") != std::string::npos && stat(arg.c_str(), &st) != 0) {
        glob_t found{};
        const size_t before = names.size();
        if (glob(arg.c_str(), 0, nullptr, &found) == 0)
            for (size_t i = 0; i < found.gl_pathc; ++i) names.emplace_back(found.gl_pathv[i]);
        globfree(&found);
        if (names.size() > before) return;
    }
#endif
    names.push_back(arg);
}
