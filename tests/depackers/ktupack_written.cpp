#include "ktupack_written.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ktu_driver.h"

namespace fs = std::filesystem;

namespace {
std::string read_file(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}
} // namespace

bool run_ktupack_in(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& input,
                    const std::vector<std::string>& options, ktupack_written& w) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(input.data()), std::streamsize(input.size()));
    std::vector<std::string> words = {"KtuPack", "-q"};
    words.insert(words.end(), options.begin(), options.end());
    words.push_back(name);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const fs::path home = fs::current_path();
    fs::current_path(dir);
    testing::internal::CaptureStderr();
    const int status = run_ktupack(int(words.size()), argv.data());
    w.messages = testing::internal::GetCapturedStderr();
    fs::current_path(home);
    if (status != 0) return false;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string file = e.path().filename().string();
        if (file == name) continue;
        const std::string ext = e.path().extension().string();
        if (ext == ".asm" || ext == ".s") {
            w.routine = read_file(e.path());
            w.routine_path = e.path();
            w.entry = "depack_" +
                      e.path().stem().string().substr(e.path().stem().string().rfind("-t") + 1);
        } else {
            const std::string s = read_file(e.path());
            w.stream.assign(s.begin(), s.end());
        }
    }
    return !w.routine.empty() && !w.stream.empty();
}
