// Names are read byte by byte as written on the command line, so that a tag in a directory
// part of the path or a letter where a digit belongs is taken exactly as users have
// always seen it taken.
#include "name_model.h"

#include <cstdlib>

#include "base_end.h"

namespace {

// Like atoi, including what glibc's atoi gives for numbers that do not fit, but without
// the undefined behaviour of an overflowing conversion. strtoll, not strtol: long has 32 bits
// on Windows, where strtol would stop at 2147483647 instead of wrapping as glibc does.
int read_number(const char* text) { return static_cast<int>(std::strtoll(text, nullptr, 10)); }

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool ends_with_nocase(const std::string& s, const char* tail) {
    const std::string t(tail);
    if (s.size() < t.size()) return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (ascii_lower(s[s.size() - t.size() + i]) != t[i]) return false;
    return true;
}

// The last dash before the extension, index 0 excluded; 0 when there is none.
size_t find_tag_dash(const std::string& arg, size_t ext_at) {
    for (size_t i = ext_at; i-- > 1;)
        if (arg[i] == '-') return i;
    return 0;
}

name_status model_from_tag(const std::string& arg, size_t dash, size_t ext_at, name_model& out) {
    // Characters are signed bytes, so any character gives a number, possibly negative.
    const int type = static_cast<signed char>(arg[dash + 2]) - '0';
    const int coding = static_cast<signed char>(arg[dash + 3]) - '0';
    const int first = first_byte_flag(type);
    if (first < 0) return {name_error::unknown_type, type};
    const int params = offset_param_count(coding);
    if (params < 0) return {name_error::unknown_coding, coding};
    out.model.type = type;
    out.model.coding = coding;
    if (params >= 1) {
        // The number may read on past ext_at; the dot of the extension ends it.
        if (dash + 5 < ext_at && arg[dash + 4] == 'o')
            out.model.offset1 = read_number(arg.c_str() + dash + 5);
        if (out.model.offset1 == 0) return {name_error::no_offset1, 0};
    }
    if (params == 2) {
        for (size_t k = dash + 6; k < ext_at; ++k) {
            if (arg[k] != 'o') continue;
            if (k + 2 <= ext_at) out.model.offset2 = read_number(arg.c_str() + k + 1);
            break;
        }
        if (out.model.offset2 == 0) return {name_error::no_offset2, 0};
    }
    out.first_byte = first == 1;
    out.strip_cut = dash;
    return {};
}

} // namespace

name_status model_from_name(const std::string& arg, name_model& out) {
    out = name_model{};
    out.base_end = base_end(arg);
    const size_t dash = find_tag_dash(arg, out.base_end);
    if (dash >= 1 && dash + 4 <= out.base_end && arg[dash + 1] == 't')
        return model_from_tag(arg, dash, out.base_end, out);

    if (arg.size() > 4) {
        if (ends_with_nocase(arg, ".kta"))
            out.model = {type_kta, 1, 0, 0};
        else if (ends_with_nocase(arg, ".ktb"))
            out.model = {type_ktb, 2, 0, 0};
    }
    if (out.model.type == 0) return {name_error::no_type, 0};
    out.strip_cut = out.base_end;
    return {};
}
