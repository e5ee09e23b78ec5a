// What the programs do with files, end to end: an output that can't be written whole leaves
// the old one as it was, two packers racing for one name leave one whole output, a listing
// or report lost on a full disk is a failure, and wildcards are expanded before the first file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "program_run.h"
#include "tested_program.h"

namespace fs = std::filesystem;

namespace {

std::string noise(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(rng() & 0xFF);
    return s;
}

// A KTB stream of one literal run: count over 63 takes the two-byte form.
std::string ktb_literal_stream(const std::string& data) {
    std::string s;
    s += char(0x80 | (data.size() >> 8));
    s += char(data.size() & 0xFF);
    return s + data + std::string(1, '\0');
}

const std::string old_output = "the old output, which must survive";

struct limited_case {
    const char* what;
    const char* program;
    std::vector<std::string> args;
    const char* input;
    std::string input_bytes;
    const char* output;
    int status;
    const char* out_tail; // the end of standard output
    const char* err;
};

// Whether the program was started ignoring SIGXFSZ or not, the limit is the write error it
// is: the program is not killed, and no temporary file is left beside the output.
TEST(file_size_limit, a_write_that_fails_leaves_the_old_output_untouched) {
    const std::string data = noise(16000, 7); // one KTB literal run
    const limited_case cases[] = {
        {"KtuPack",
         KTUPACK_PATH,
         {"-f", "-t22", "xx.bin"},
         "xx.bin",
         data,
         "xx-t22.bin",
         1,
         "",
         "KtuPack: xx-t22.bin: File too large\n"},
        {"KtbPack",
         KTB_PACK_PATH,
         {"xx.bin"},
         "xx.bin",
         data,
         "xx.ktb",
         1,
         "Input file: xx.bin  Output file: xx.ktb\n",
         "xx.ktb: File too large\n"},
        {"KtaPack",
         KTA_PACK_PATH,
         {"xx.bin"},
         "xx.bin",
         data,
         "xx.kta",
         1,
         "Input file: xx.bin  Output file: xx.kta\n",
         "xx.kta: File too large\n"},
        {"KtuList -d",
         KTULIST_PATH,
         {"-d", "xx.ktb"},
         "xx.ktb",
         ktb_literal_stream(data),
         "xx.out",
         0,
         "Can't write xx.out\n",
         ""},
    };
    for (const limited_case& c : cases) {
        for (const bool ignored : {false, true}) {
            SCOPED_TRACE(std::string(c.what) +
                         (ignored ? ", SIGXFSZ ignored" : ", SIGXFSZ default"));
            scratch_folder d;
            write_file(d.path / c.input, c.input_bytes);
            write_file(d.path / c.output, old_output);
            run_options o;
            o.file_size_limit = 8192;
            o.xfsz_ignored = ignored;
            const run_result r = run_tested(c.program, c.args, d, o);
            EXPECT_EQ(r.status, c.status);
            EXPECT_TRUE(r.out.size() >= strlen(c.out_tail) &&
                        r.out.compare(r.out.size() - strlen(c.out_tail), std::string::npos,
                                      c.out_tail) == 0)
                << r.out;
            EXPECT_EQ(r.err, c.err);
            EXPECT_EQ(read_file(d.path / c.output), old_output);
            EXPECT_EQ(d.names(), (std::set<std::string>{c.input, c.output}));
        }
    }
}

// The folder is read-only for the program: by its mode, and for root, whom no mode stops, by
// running the program as an unprivileged user.
TEST(read_only_folder, the_old_output_survives_and_the_failure_names_it) {
    scratch_folder d;
    write_file(d.path / "xx.bin", "some data, some data, some data");
    write_file(d.path / "xx.ktb", old_output);
    write_file(d.path / "xx.kta", old_output);
    // Copies the unprivileged user can run wherever the build lies (a checkout under /root).
    const scratch_folder copies;
    const fs::path bin = copies.path;
    fs::copy_file(KTB_PACK_PATH, bin / "KtbPack");
    fs::copy_file(KTA_PACK_PATH, bin / "KtaPack");
    fs::permissions(d.path, fs::perms(0555));
    run_options o;
    o.unprivileged = true;
    const run_result b = run_tested((bin / "KtbPack").string(), {"xx.bin"}, d, o);
    const run_result a = run_tested((bin / "KtaPack").string(), {"xx.bin"}, d, o);
    fs::permissions(d.path, fs::perms(0755));
    EXPECT_EQ(b.status, 1);
    EXPECT_EQ(b.err, "xx.ktb: Permission denied\n");
    EXPECT_EQ(a.status, 1);
    EXPECT_EQ(a.err, "xx.kta: Permission denied\n");
    EXPECT_EQ(read_file(d.path / "xx.ktb"), old_output);
    EXPECT_EQ(read_file(d.path / "xx.kta"), old_output);
    EXPECT_EQ(d.names(), (std::set<std::string>{"xx.bin", "xx.ktb", "xx.kta"}));
}

// song.bin and song.dat both map to song.ktb: whichever finishes last, the file is one whole
// stream, never the start of one under the tail of the other.
TEST(racing_packers, leave_one_whole_output) {
    scratch_folder d;
    write_file(d.path / "song.bin", noise(30000, 1));
    write_file(d.path / "song.dat", std::string(300, 'a') + noise(200, 2));
    ASSERT_EQ(run_tested(KTB_PACK_PATH, {"song.bin"}, d).status, 0);
    const std::string long_stream = read_file(d.path / "song.ktb");
    ASSERT_EQ(run_tested(KTB_PACK_PATH, {"song.dat"}, d).status, 0);
    const std::string short_stream = read_file(d.path / "song.ktb");
    ASSERT_LT(short_stream.size(), long_stream.size());
    for (int round = 0; round < 30; ++round) {
        started_program one = start_tested(KTB_PACK_PATH, {"song.bin"}, d);
        started_program two = start_tested(KTB_PACK_PATH, {"song.dat"}, d);
        EXPECT_EQ(finish_program(one).status, 0);
        EXPECT_EQ(finish_program(two).status, 0);
        const std::string now = read_file(d.path / "song.ktb");
        ASSERT_TRUE(now == long_stream || now == short_stream) << "round " << round;
        ASSERT_EQ(d.names(), (std::set<std::string>{"song.bin", "song.dat", "song.ktb"}));
    }
}

// Where names ignore case (Windows), ab.KTB and the output name ab.ktb are one file, and the
// programs must find that out by the file's identity, not by the text; elsewhere they are two
// files and the output is written beside the input.
TEST(names_differing_in_case, are_one_file_only_where_the_file_system_says_so) {
    const bool windows = tested_on_windows();
    scratch_folder d;
    const std::string data = noise(500, 3);
    write_file(d.path / "ab.KTB", data);
    const run_result p = run_tested(KTB_PACK_PATH, {"ab.KTB"}, d);
    EXPECT_EQ(p.status, windows ? 1 : 0);
    EXPECT_EQ(p.out.find("\nError: Output file ab.ktb is the input file\n") != std::string::npos,
              windows)
        << p.out;
    EXPECT_TRUE(read_file(d.path / "ab.KTB") == data);

    const std::string demo = std::string("\x06"
                                         "ABC\x09\x03\x02"
                                         "D",
                                         8) +
                             std::string(1, '\0');
    write_file(d.path / "cd.KTA", demo);
    const run_result l = run_tested(KTULIST_PATH, {"-d", "-ekta", "cd.KTA"}, d);
    EXPECT_EQ(l.status, 0);
    EXPECT_EQ(l.err, "");
    if (windows) {
        EXPECT_EQ(l.out, "\nError in cd.KTA: Output file cd.kta is the input file itself\n");
        EXPECT_TRUE(read_file(d.path / "cd.KTA") == demo);
        EXPECT_EQ(d.names(), (std::set<std::string>{"ab.KTB", "cd.KTA"}));
    } else {
        EXPECT_EQ(read_file(d.path / "cd.kta"), "ABCABCAD");
        EXPECT_EQ(d.names(), (std::set<std::string>{"ab.KTB", "ab.ktb", "cd.KTA", "cd.kta"}));
    }
}

struct full_case {
    const char* what;
    const char* program;
    std::vector<std::string> args;
    int status;
    const char* kept; // a file the run still writes, or ""
};

// A listing or report that can't reach standard output is a failure; any status already a
// failure stays as it was.
TEST(standard_output_full, is_reported_with_status_1) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    const std::string demo = std::string("\x06"
                                         "ABC\x09\x03\x02"
                                         "D",
                                         8) +
                             std::string(1, '\0');
    const full_case cases[] = {
        {"KtuList listing", KTULIST_PATH, {"demo.kta"}, 1, ""},
        {"KtuList depacking", KTULIST_PATH, {"-d", "demo.kta"}, 1, "demo.out"},
        {"KtuList usage", KTULIST_PATH, {}, 1, ""},
        {"KtbPack report", KTB_PACK_PATH, {"song.bin"}, 1, "song.ktb"},
        {"KtaPack report", KTA_PACK_PATH, {"song.bin"}, 1, "song.kta"},
        {"KtbPack refusal keeps its status", KTB_PACK_PATH, {"missing.bin"}, 1, ""},
    };
    for (const full_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_folder d;
        write_file(d.path / "demo.kta", demo);
        write_file(d.path / "song.bin", "la la la la la la");
        run_options o;
        o.stdout_path = "/dev/full";
        const run_result r = run_tested(c.program, c.args, d, o);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find("Error: Can't write to standard output\n"), std::string::npos)
            << r.err;
        if (*c.kept) {
            EXPECT_TRUE(fs::exists(d.path / c.kept));
        }
    }
}

// A pattern after "-d" must not match the output that the run writes before reaching it.
TEST(wildcards, are_expanded_before_the_first_file) {
    scratch_folder d;
    const std::string demo = std::string("\x06"
                                         "ABC\x09\x03\x02"
                                         "D",
                                         8) +
                             std::string(1, '\0');
    write_file(d.path / "ga2.kta", demo);
    const run_result r = run_tested(KTULIST_PATH, {"-d", "g?2*", "g*"}, d);
    const std::string stats = "ga2.kta                               9 => 8      NumSek: 1     "
                              "Packed: 4      NoPack: 4      "
                              "Overhead: 5     (40 bits)\n";
    EXPECT_EQ(r.out, stats + stats);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(d.path / "ga2.out"), "ABCABCAD");
}

} // namespace
