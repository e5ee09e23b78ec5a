// On the bench corpus, the exact optimum of -t11 and -t22 is never larger than what KtaPack
// and KtbPack write for the same file, and it depacks to the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "universal_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> slurp(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f),
                                std::istreambuf_iterator<char>());
}

TEST(Corpus, NeverLargerThanKtaPackAndKtbPack) {
    const fs::path dir = fs::temp_directory_path() / ("ktu-corpus-" + std::to_string(getpid()));
    const std::string make = std::string("sh '") + MAKE_CORPUS_SCRIPT + "' '" + dir.string() +
                             "' '" + MAKE_SYNTHETIC_PATH + "' >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const fs::path file = entry.path();
        if (file.extension() == ".kta" || file.extension() == ".ktb") continue;
        const std::vector<uint8_t> in = slurp(file);
        file_matches fm;
        prepare_file(in.data(), static_cast<int32_t>(in.size()), fm);
        struct pair_case {
            const char* program;
            const char* ext;
            pack_model model;
        };
        for (const pair_case& c : {pair_case{KTA_PACK_PATH, ".kta", {1, 1, 0, 0}},
                                   pair_case{KTB_PACK_PATH, ".ktb", {2, 2, 0, 0}}}) {
            const std::string run = std::string("cd '") + dir.string() + "' && '" + c.program +
                                    "' '" + file.filename().string() + "' >/dev/null";
            ASSERT_EQ(std::system(run.c_str()), 0) << run;
            const fs::path theirs = dir / (file.filename().string() + c.ext);
            const packed ours = pack_prepared(fm, c.model);
            ASSERT_EQ(ours.status, universal_status::ok);
            EXPECT_LE(ours.stream.size(), fs::file_size(theirs))
                << file << " " << model_text(c.model);
            EXPECT_EQ(depack(ours.stream, c.model).out, in) << file << " " << model_text(c.model);
            fs::remove(theirs);
        }
        ++files;
    }
    fs::remove_all(dir);
    EXPECT_GE(files, 21); // the synthetic cases at least; the real ones where the system has them
}

} // namespace
