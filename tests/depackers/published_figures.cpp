// Reads the figures back as the README and the comment blocks write them: a table row split at
// its bars, and the "Size: N bytes. Speed: X" line of a routine.
#include "published_figures.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> v;
    std::string cur;
    for (char c : line.substr(1)) {
        if (c == '|') {
            v.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    for (auto& s : v) {
        const auto b = s.find_first_not_of(' ');
        const auto e = s.find_last_not_of(' ');
        s = b == std::string::npos ? "" : s.substr(b, e - b + 1);
    }
    return v;
}

} // namespace

stated_figures readme_figures(const std::string& readme, const std::string& routine_path) {
    stated_figures f;
    std::istringstream in(readme);
    std::string line;
    const std::string key = "`" + routine_path + "`";
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '|') continue;
        const auto c = cells(line);
        if (c.size() < 4 || c[0] != key) continue;
        char* end = nullptr;
        f.size = int(std::strtol(c[1].c_str(), &end, 10));
        if (end == c[1].c_str() || *end != '\0') return f;
        f.speed = std::strtod(c[2].c_str(), &end);
        if (end == c[2].c_str()) return f;
        f.found = true;
        return f;
    }
    return f;
}

stated_figures header_figures(const std::string& source) {
    stated_figures f;
    const auto s = source.find("; Size: ");
    if (s == std::string::npos) return f;
    char* end = nullptr;
    f.size = int(std::strtol(source.c_str() + s + 8, &end, 10));
    if (std::string(end).rfind(" bytes. Speed: ", 0) != 0) return f;
    f.speed = std::strtod(end + 15, &end);
    f.found = true;
    return f;
}

bool speed_agrees(double stated, double measured) {
    return std::fabs(stated - measured) <= 0.02 * measured;
}
