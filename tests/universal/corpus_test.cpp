// On the bench corpus, the exact optimum of -t11 and -t22 is never larger than what KtaPack
// and KtbPack write for the same file, and it depacks to the file.
#include <gtest/gtest.h>

#include <filesystem>

#include "program_run.h"
#include "test_corpus.h"
#include "universal_support.h"

namespace {

TEST(universal_corpus, never_larger_than_ktapack_and_ktbpack) {
    int files = 0;
    for (const corpus_file& file : corpus_files()) {
        SCOPED_TRACE(file.name);
        const std::vector<uint8_t>& in = file.data;
        file_matches fm;
        prepare_file(in.data(), static_cast<int32_t>(in.size()), fm);
        struct pair_case {
            const char* program;
            const char* ext;
            pack_model model;
        };
        for (const pair_case& c : {pair_case{KTA_PACK_PATH, ".kta", {1, 1, 0, 0}},
                                   pair_case{KTB_PACK_PATH, ".ktb", {2, 2, 0, 0}}}) {
            scratch_folder dir;
            write_file(dir.path / file.name, in);
            const run_result r = run_tested(c.program, {file.name}, dir);
            ASSERT_EQ(r.status, 0) << c.program << "\n" << r.out << r.err;
            const std::filesystem::path theirs = dir.path / (file.name + c.ext);
            const packed ours = pack_prepared(fm, c.model);
            ASSERT_EQ(ours.status, universal_status::ok);
            EXPECT_LE(ours.stream.size(), std::filesystem::file_size(theirs))
                << model_text(c.model);
            EXPECT_EQ(depack(ours.stream, c.model).out, in) << model_text(c.model);
        }
        ++files;
    }
    EXPECT_GE(files, 21); // the synthetic cases at least; the real ones where the system has them
}

} // namespace
