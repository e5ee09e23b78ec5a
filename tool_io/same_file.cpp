#include "same_file.h"

#include <sys/stat.h>

bool names_same_file(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
#ifdef _WIN32
    return false; // no inode numbers there to tell two spellings apart
#else
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
}
