#include "tested_program.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v == nullptr ? "" : v;
}

bool through_runner() { return !env("KT_PROGRAM_DIR").empty(); }

} // namespace

std::vector<std::string> tested_command(const std::string& built_path) {
    if (!through_runner()) return {built_path};
    std::vector<std::string> command;
    std::istringstream runner(env("KT_RUNNER"));
    for (std::string word; runner >> word;) command.push_back(word);
    const std::filesystem::path program =
        std::filesystem::path(env("KT_PROGRAM_DIR")) /
        (std::filesystem::path(built_path).filename().string() + env("KT_PROGRAM_SUFFIX"));
    if (!std::filesystem::is_regular_file(program))
        throw std::runtime_error("no program " + program.string() + " to test");
    command.push_back(program.string());
    return command;
}

bool tested_on_windows() { return env("KT_PROGRAM_SYSTEM") == "Windows"; }

std::string folder_reason() { return tested_on_windows() ? "Permission denied" : "Is a directory"; }

std::string wildcard_name_reason() {
    return tested_on_windows() ? "Invalid argument" : "No such file or directory";
}

std::string console_text(std::string captured) {
    if (env("KT_CONSOLE_CRLF").empty()) return captured;
    std::string text;
    text.reserve(captured.size());
    for (size_t i = 0; i < captured.size(); ++i) {
        const bool crlf = captured[i] == '\r' && i + 1 < captured.size() && captured[i + 1] == '\n';
        // Text mode puts CR before every LF; a bare LF means the output did not go through it.
        if (captured[i] == '\n' && (i == 0 || captured[i - 1] != '\r'))
            throw std::runtime_error("a line without CR LF in console output: " + captured);
        if (!crlf) text += captured[i];
    }
    return text;
}
