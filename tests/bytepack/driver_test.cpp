// KtbPack and KtaPack run as programs in a scratch directory: what they print, their exit
// status and the files they leave, for good inputs and for every way a run can fail.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "pack_support.h"
#include "program_run.h"
#include "tested_program.h"

namespace fs = std::filesystem;

namespace {

struct variant_texts {
    const char* program;
    const char* head; // banner line as printed
    const char* usage;
    const char* ext;
    bool ktb;
};

// ctest names the cases by this, so that a failing one can be named and rerun.
void PrintTo(const variant_texts& v, std::ostream* os) { *os << (v.ktb ? "KtbPack" : "KtaPack"); }

const variant_texts ktb{KTB_PACK_PATH, "\nTalvik soft: KTB Packer 01\n",
                        "Use: KtbPack <filename>\n\n", ".ktb", true};
const variant_texts kta{KTA_PACK_PATH, "\nTalvik soft: KTA Packer 01\n",
                        "Use: KtaPack <filename>\n\n", ".kta", false};

std::string input_line(const std::string& in, const std::string& out) {
    return "Input file: " + in + "  Output file: " + out + "\n";
}

// The report line without its time part "   Time: S.MMM seconds", which appears only when
// packing took a millisecond or more; a malformed time part is left in place to fail the test.
std::string without_time(const std::string& s) {
    const std::string head = "   Time: ";
    const std::string tail = " seconds";
    const size_t at = s.rfind(head);
    if (at == std::string::npos || s.size() < tail.size() ||
        s.compare(s.size() - tail.size(), tail.size(), tail) != 0)
        return s;
    const std::string num = s.substr(at + head.size(), s.size() - tail.size() - at - head.size());
    const size_t dot = num.find('.');
    if (dot == std::string::npos || dot == 0 || num.size() - dot - 1 != 3) return s;
    for (size_t i = 0; i < num.size(); ++i)
        if (i != dot && (num[i] < '0' || num[i] > '9')) return s;
    return s.substr(0, at);
}

std::set<std::string> files_in(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        names.insert(fs::relative(e.path(), dir).string());
    return names;
}

class packer_program : public testing::TestWithParam<variant_texts> {
  protected:
    scratch_folder dir;
    run_result run(const std::vector<std::string>& args) {
        return run_tested(GetParam().program, args, dir);
    }
};

TEST_P(packer_program, wrong_argument_count_prints_usage) {
    const variant_texts& v = GetParam();
    write_file(dir.path / "a.bin", to_bytes("abc"));
    for (const auto& args :
         {std::vector<std::string>{}, std::vector<std::string>{"a.bin", "a.bin"}}) {
        run_result r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, std::string(v.head) + v.usage);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(files_in(dir.path), std::set<std::string>{"a.bin"});
    }
}

TEST_P(packer_program, packs_and_reports) {
    const variant_texts& v = GetParam();
    const struct {
        std::string name;
        bytes data;
        std::string report;
        bytes stream;
    } cases[] = {
        {"one.bin", bytes{0x99}, "Packed:     1 => 3        Data: 1      Overhead: 2    ",
         v.ktb ? bytes{0x01, 0x99, 0x00} : bytes{0x02, 0x99, 0x00}},
        {"abab.bin", to_bytes("ABABABAB"), "Packed:     8 => 6        Data: 2      Overhead: 4    ",
         v.ktb ? bytes{0x02, 0x41, 0x42, 0x46, 0x02, 0x00}
               : bytes{0x04, 0x41, 0x42, 0x0D, 0x02, 0x00}},
        {"zeros.bin",
         bytes(65536, 0),
         v.ktb ? "Packed: 65536 => 17       Data: 1      Overhead: 16   "
               : "Packed: 65536 => 1037     Data: 1      Overhead: 1036 ",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(dir.path / c.name, c.data);
        const std::string out_name = fs::path(c.name).stem().string() + v.ext;
        run_result r = run({c.name});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(without_time(r.out),
                  std::string(v.head) + input_line(c.name, out_name) + c.report);
        const bytes stream = read_bytes(dir.path / out_name);
        if (!c.stream.empty()) {
            EXPECT_EQ(stream, c.stream);
        }
        bytes back;
        EXPECT_TRUE(depack(stream, v.ktb, back));
        EXPECT_EQ(back, c.data);
    }
}

TEST_P(packer_program, output_names) {
    const variant_texts& v = GetParam();
    const std::string x = v.ktb ? "ktb" : "kta";
    const struct {
        std::string in, out;
    } cases[] = {
        {"song.bin", "song." + x},
        {"a.tar.gz", "a.tar." + x},
        {"data.jpeg2", "data.jpeg2." + x},
        {"a.bin", "a.bin." + x},
        {"x.d/ab", "x.d/ab." + x},
        {"noext", "noext." + x},
        {"ab.c", "ab.c." + x},
        {"dir.v2/file.tar", "dir.v2/file." + x},
    };
    fs::create_directories(dir.path / "x.d");
    fs::create_directories(dir.path / "dir.v2");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        write_file(dir.path / c.in, to_bytes("hello hello"));
        run_result r = run({c.in});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.substr(0, std::string(v.head).size() + input_line(c.in, c.out).size()),
                  std::string(v.head) + input_line(c.in, c.out));
        EXPECT_TRUE(fs::exists(dir.path / c.out));
    }
}

TEST_P(packer_program, long_names) {
    const variant_texts& v = GetParam();
    fs::path rel;
    for (int i = 0; i < 8; ++i) rel /= std::string(200, char('a' + i));
    fs::create_directories(dir.path / rel);
    const std::string in = (rel / (std::string(150, 'n') + ".bin")).string();
    const std::string out = (rel / (std::string(150, 'n') + v.ext)).string();
    ASSERT_GT(in.size(), 1700u);
    write_file(dir.path / in, to_bytes("long long long"));
    run_result r = run({in});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(without_time(r.out).substr(std::string(v.head).size()),
              input_line(in, out) + "Packed:    14 => 9        Data: 5      Overhead: 4    ");
    bytes back;
    EXPECT_TRUE(depack(read_bytes(dir.path / out), v.ktb, back));
    EXPECT_EQ(back, to_bytes("long long long"));
}

TEST_P(packer_program, refused_inputs_leave_no_output) {
    const variant_texts& v = GetParam();
    write_file(dir.path / "empty.bin", bytes{});
    write_file(dir.path / "big.bin", bytes(65537, 7));
    fs::create_directories(dir.path / "folder.bin");
    const struct {
        std::string in;
        std::string out_tail; // stdout after the "Input file" line
        std::string err;
    } cases[] = {
        {"empty.bin", "Zero length of input file !\n", ""},
        {"big.bin", "\nError: Input file is longer than 65536 bytes\n", ""},
        {"none.bin", "", "none.bin: No such file or directory\n"},
        {"folder.bin", "", "folder.bin: " + folder_reason() + "\n"},
    };
    const std::set<std::string> before = files_in(dir.path);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        const std::string out = fs::path(c.in).stem().string() + v.ext;
        run_result r = run({c.in});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, std::string(v.head) + input_line(c.in, out) + c.out_tail);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(files_in(dir.path), before);
    }
}

TEST_P(packer_program, never_writes_over_its_input) {
    const variant_texts& v = GetParam();
    const std::string self = std::string("ab") + v.ext;
    const bytes data = to_bytes("keep me as I am, keep me");
    write_file(dir.path / self, data);
    write_file(dir.path / "link.bin", data);
    fs::create_symlink("link.bin", dir.path / (std::string("link") + v.ext));
    write_file(dir.path / "hard.bin", data);
    fs::create_hard_link(dir.path / "hard.bin", dir.path / (std::string("hard") + v.ext));
    for (const std::string& in : {self, std::string("link.bin"), std::string("hard.bin")}) {
        SCOPED_TRACE(in);
        const std::string out = fs::path(in).stem().string() + v.ext;
        run_result r = run({in});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, std::string(v.head) + input_line(in, out) + "\nError: Output file " + out +
                             " is the input file\n");
        EXPECT_EQ(read_bytes(dir.path / in), data);
    }
}

TEST_P(packer_program, failed_output_is_reported_and_nothing_is_removed) {
    const variant_texts& v = GetParam();
    write_file(dir.path / "qq.bin", to_bytes("some data, some data"));
    fs::create_directories(dir.path / (std::string("qq") + v.ext));
    run_result r = run({"qq.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("qq") + v.ext + ": " + folder_reason() + "\n");
    EXPECT_EQ(r.out, std::string(v.head) + input_line("qq.bin", std::string("qq") + v.ext));
}

TEST_P(packer_program, failed_write_to_a_device_is_reported_and_the_link_stays) {
    const variant_texts& v = GetParam();
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    write_file(dir.path / "full.bin", bytes(5000, 1));
    const fs::path link = dir.path / (std::string("full") + v.ext);
    fs::create_symlink("/dev/full", link);
    const run_result r = run({"full.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("full") + v.ext + ": No space left on device\n");
    EXPECT_EQ(r.out, std::string(v.head) + input_line("full.bin", std::string("full") + v.ext));
    // A device is written directly; the link to it stays.
    EXPECT_TRUE(fs::is_symlink(link));
}

INSTANTIATE_TEST_SUITE_P(packers, packer_program, testing::Values(ktb, kta),
                         [](const testing::TestParamInfo<variant_texts>& info) {
                             return std::string(info.param.ktb ? "KtbPack" : "KtaPack");
                         });

} // namespace
