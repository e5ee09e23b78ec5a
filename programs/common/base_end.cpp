#include "base_end.h"

namespace {

bool is_separator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

} // namespace

size_t base_end(const std::string& name) {
    const size_t len = name.size();
    if (len < 6) return len;
    for (size_t i = len; i-- > len - 5;) {
        if (is_separator(name[i])) return len;
        if (name[i] == '.') return i;
    }
    return len;
}
