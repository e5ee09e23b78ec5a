// Names are read byte by byte as written on the command line, so that a tag in a directory
// part of the path or a letter where a digit belongs is taken exactly as users have
// always seen it taken.
#include "name_model.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Like atoi, including what glibc's atoi gives for numbers that do not fit, but without
// the undefined behaviour of an overflowing conversion.
int read_number(const char* text) {
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool ends_with_nocase(const std::string& s, const char* tail) {
    const std::string t(tail);
    if (s.size() < t.size()) return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (ascii_lower(s[s.size() - t.size() + i]) != t[i]) return false;
    return true;
}

// A name of 6 or more characters loses an extension of up to four characters.
size_t find_base_end(const std::string& arg) {
    const size_t len = arg.size();
    if (len < 6) return len;
    for (size_t i = len; i-- > len - 5;)
        if (arg[i] == '.') return i;
    return len;
}

// The last dash before the base end, index 0 excluded; 0 when there is none.
size_t find_tag_dash(const std::string& arg, size_t base_end) {
    for (size_t i = base_end; i-- > 1;)
        if (arg[i] == '-') return i;
    return 0;
}

bool model_from_tag(const std::string& arg, size_t dash, size_t base_end, name_model& out) {
    // Characters are signed bytes, so any character gives a number, possibly negative.
    const int type = static_cast<signed char>(arg[dash + 2]) - '0';
    const int coding = static_cast<signed char>(arg[dash + 3]) - '0';
    const int first = first_byte_flag(type);
    if (first < 0) {
        printf("Unknown compress type %d for file %s\n", type, arg.c_str());
        return false;
    }
    const int params = offset_param_count(coding);
    if (params < 0) {
        printf("Unknown offset coding %d for file %s\n", coding, arg.c_str());
        return false;
    }
    out.model.type = type;
    out.model.coding = coding;
    if (params >= 1) {
        // The number may read on past base_end; the dot of the extension ends it.
        if (dash + 5 < base_end && arg[dash + 4] == 'o')
            out.model.offset1 = read_number(arg.c_str() + dash + 5);
        if (out.model.offset1 == 0) {
            printf("Cannot determine offset1 for file %s\n", arg.c_str());
            return false;
        }
    }
    if (params == 2) {
        for (size_t k = dash + 6; k < base_end; ++k) {
            if (arg[k] != 'o') continue;
            if (k + 2 <= base_end) out.model.offset2 = read_number(arg.c_str() + k + 1);
            break;
        }
        if (out.model.offset2 == 0) {
            printf("Cannot determine offset2 for file %s\n", arg.c_str());
            return false;
        }
    }
    out.first_byte = first == 1;
    out.strip_cut = dash;
    return true;
}

} // namespace

bool model_from_name(const std::string& arg, name_model& out) {
    out = name_model{};
    out.base_end = find_base_end(arg);
    const size_t dash = find_tag_dash(arg, out.base_end);
    if (dash >= 1 && dash + 4 <= out.base_end && arg[dash + 1] == 't')
        return model_from_tag(arg, dash, out.base_end, out);

    if (arg.size() > 4) {
        if (ends_with_nocase(arg, ".kta")) out.model = {type_kta, 1, 0, 0};
        else if (ends_with_nocase(arg, ".ktb")) out.model = {type_ktb, 2, 0, 0};
    }
    if (out.model.type == 0) {
        printf("Cannot determine compress type for file %s\n", arg.c_str());
        return false;
    }
    out.strip_cut = out.base_end;
    return true;
}
