// Reads the figures back as the README and the comment blocks write them: a table row split at
// its bars, and the "Size: N bytes. Speed: X" line of a routine.
#include "published_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iomanip>
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

namespace {

// The first row under a table header whose first cell is title (any table when title is
// empty) with key as its first cell.
stated_figures row_figures(const std::string& readme, const std::string& title,
                           const std::string& key) {
    stated_figures f;
    std::istringstream in(readme);
    std::string line;
    bool in_table = title.empty();
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '|') {
            in_table = title.empty();
            continue;
        }
        const auto c = cells(line);
        if (!c.empty() && c[0] == title) in_table = true;
        if (!in_table || c.size() < 4 || c[0] != key) continue;
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

} // namespace

std::string readme_table_cell(const std::string& readme, const std::string& title,
                              const std::string& entry, size_t index) {
    std::istringstream in(readme);
    std::string line;
    bool in_table = false;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '|') {
            in_table = false;
            continue;
        }
        const auto c = cells(line);
        if (!c.empty() && c[0] == title) in_table = true;
        if (in_table && c.size() > index && c[0] == "`" + entry + "`") return c[index];
    }
    return {};
}

stated_figures readme_figures(const std::string& readme, const std::string& routine_path) {
    return row_figures(readme, "", "`" + routine_path + "`");
}

stated_figures readme_table_figures(const std::string& readme, const std::string& title,
                                    const std::string& entry) {
    return row_figures(readme, title, "`" + entry + "`");
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

void expect_figures_stated(const char* source, int size, double speed, const char* unit,
                           const char* block_copy) {
    char row[160];
    std::snprintf(row, sizeof row, "| `%s` | %d | %.1f %s | %s |", source, size, speed, unit,
                  block_copy);
    const stated_figures in_readme = readme_figures(read_text(KT_SOURCE_DIR "/README.md"), source);
    EXPECT_TRUE(in_readme.found && in_readme.size == size && speed_agrees(in_readme.speed, speed))
        << "the README row should read\n"
        << row;
    const stated_figures in_header =
        header_figures(read_text(std::string(KT_SOURCE_DIR "/") + source));
    EXPECT_TRUE(in_header.found && in_header.size == size && speed_agrees(in_header.speed, speed))
        << source << " should state \"; Size: " << size << " bytes. Speed: " << std::fixed
        << std::setprecision(1) << speed << " ...\"";
}

void expect_model_figures_stated(const std::string& title, const std::string& entry,
                                 const std::string& text, int size, double speed,
                                 const char* unit) {
    char row[160];
    std::snprintf(row, sizeof row, "| `%s` | %d | %.1f %s |", entry.c_str(), size, speed, unit);
    const stated_figures in_readme =
        readme_table_figures(read_text(KT_SOURCE_DIR "/README.md"), title, entry);
    EXPECT_TRUE(in_readme.found && in_readme.size == size && speed_agrees(in_readme.speed, speed))
        << "the README table \"" << title << "\" should have the row\n"
        << row;
    const stated_figures in_header = header_figures(text);
    EXPECT_TRUE(in_header.found && in_header.size == size && speed_agrees(in_header.speed, speed))
        << entry << " should state \"; Size: " << size << " bytes. Speed: " << std::fixed
        << std::setprecision(1) << speed << " ...\"";
}
