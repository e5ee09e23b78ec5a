// KtuList run end to end in a temporary directory: each case is the files it starts with,
// the arguments, and the exact standard output, standard error, exit status and the new
// files it must leave.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "program_run.h"
#include "stream_writer.h"
#include "tested_program.h"

namespace {

using file_map = std::map<std::string, std::string>;

struct cli_case {
    std::string name;
    file_map files;
    std::vector<std::string> args;
    std::string out;
    std::string err;
    int status = 0;
    file_map new_files; // files the run adds; every input file must stay as it was
    std::function<void(const std::string& dir)> setup = nullptr; // links, directories
};

const std::string demo = hex_bytes("06 41 42 43 09 03 02 44 00");
const std::string demo_out = "ABCABCAD";

std::string pad32(const std::string& name) {
    return name.size() >= 32 ? name : name + std::string(32 - name.size(), ' ');
}

// A statistics line; its layout is pinned by the literal lines of the demo cases.
std::string stats(const std::string& name, unsigned in, unsigned out, unsigned sek, unsigned packed,
                  unsigned nopack, unsigned bits) {
    char rest[200];
    snprintf(rest, sizeof rest,
             "  %5u => %-5u  NumSek: %-4u  Packed: %-5u  NoPack: %-5u  Overhead: %-5u (%u bits)\n",
             in, out, sek, packed, nopack, (bits + 7) / 8, bits);
    return pad32(name) + rest;
}

const std::string demo_stats_line =
    "demo.kta                              9 => 8      NumSek: 1     Packed: 4      NoPack: 4      "
    "Overhead: 5     (40 bits)\n";

std::string demo_body(const std::string& name) {
    return "\nList of file ... " + name +
           "  (9 bytes)\n"
           "Compression .... KTA offset 1 byte ....... \n"
           "\n"
           "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 3          Data:  41 42 43\n"
           "Pack:    +4   Unpack:    +3  ...  Sekvence ... Length: 4      Offset: 3     \n"
           "Pack:    +6   Unpack:    +7  ...  Unpacked ... Length: 1          Data:  44\n"
           "Pack:    +8   Unpack:    +8  ...  End mark\n"
           "\n";
}

std::string demo_listing(const std::string& name) {
    return demo_body(name) + stats(name, 9, 8, 1, 4, 4, 40) + "\n";
}

const std::string usage_text =
    "\n"
    "Universal KTU Lister and Depacker\n"
    "\n"
    "  Use: KtuList <options> file1 file2 ...\n"
    "\n"
    "Options:\n"
    " -l ........ write listing of pack model of file(s) to stdout (default option)\n"
    " -d ........ depack and write to output file with extension 'out' (or set by the -e)\n"
    " -u ........ the same as -d with removing compress info -tXX.. from output filename\n"
    " -e<ext> ... set extension for output files (default extension is 'out')\n"
    "\n"
    "You can use wildcards in filenames to list or depack more files together.\n"
    "\n";

std::string header(const std::string& name, unsigned size, const std::string& model_text) {
    return "\nList of file ... " + name + "  (" + std::to_string(size) + " bytes)\n" +
           "Compression .... " + model_text + "\n\n";
}

std::string repeat(char c, size_t n) { return std::string(n, c); }

std::string letters(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>('a' + i % 26));
    return s;
}

// KTB stream: a literal x and sequences at offset 1 up to total bytes of output.
std::string ktb_run_of_x(uint32_t total, bool with_end) {
    std::vector<stream_item> items{literal("x")};
    for (uint32_t left = total - 1; left > 0;) {
        const uint32_t n = left > 16383 ? 16383 : left;
        items.push_back(sequence(n, 1));
        left -= n;
    }
    if (with_end) items.push_back(end_mark());
    return write_ktb(items);
}

// KTB literal runs that end exactly at byte 80000 of the file, 79990 bytes of data.
std::string ktb_literals_to_80000() {
    std::vector<stream_item> items;
    for (int i = 0; i < 4; ++i) items.push_back(literal(repeat('a', 16383)));
    items.push_back(literal(repeat('b', 14458)));
    return write_ktb(items);
}

std::vector<cli_case> basic_cases() {
    const std::string ten = letters(10);
    const std::string thirty = ten + ten + ten;
    std::vector<cli_case> c;
    c.push_back({"demo_listing",
                 {{"demo.kta", demo}},
                 {"demo.kta"},
                 demo_body("demo.kta") + demo_stats_line + "\n",
                 "",
                 0,
                 {}});
    c.push_back({"demo_depack",
                 {{"demo.kta", demo}},
                 {"-d", "demo.kta"},
                 demo_stats_line,
                 "",
                 0,
                 {{"demo.out", demo_out}}});
    c.push_back({"strip_with_model_from_extension",
                 {{"demo.kta", demo}},
                 {"-U", "demo.kta"},
                 demo_stats_line,
                 "",
                 0,
                 {{"demo.out", demo_out}}});
    // KTR: first byte A, run BC, repeat 2 at the first offset (1), sequence 3 at offset 4, and
    // the end mark (flag 1, sixteen pairs 10), laid out by hand.
    const std::string ktr = hex_bytes("41 44 42 43 CD 04 55 55 55 50");
    const std::string ktr_stats = stats("demo-t61.bin", 10, 8, 2, 5, 2, 53);
    c.push_back({"ktr_listing_shows_the_repeat",
                 {{"demo-t61.bin", ktr}},
                 {"demo-t61.bin"},
                 "\nList of file ... demo-t61.bin  (10 bytes)\n"
                 "Compression .... KTR offset 1 byte ....... \n"
                 "\n"
                 "Pack:    +0   Unpack:    +0  ...  First byte 0x41\n"
                 "Pack:    +1   Unpack:    +1  ...  Unpacked ... Length: 2          Data:  42 43\n"
                 "Pack:    +4   Unpack:    +3  ...  Repeated ... Length: 2      Offset: 1     \n"
                 "Pack:    +4   Unpack:    +5  ...  Sekvence ... Length: 3      Offset: 4     \n"
                 "Pack:    +6   Unpack:    +8  ...  End mark\n"
                 "\n" +
                     ktr_stats + "\n",
                 "",
                 0,
                 {}});
    c.push_back({"ktr_depack",
                 {{"demo-t61.bin", ktr}},
                 {"-u", "demo-t61.bin"},
                 ktr_stats,
                 "",
                 0,
                 {{"demo.out", "ABCCCBCC"}}});
    c.push_back({"usage_without_arguments", {}, {}, usage_text, "", 1, {}});
    c.push_back({"options_only", {}, {"-d", "-ebin"}, "Error: No input files\n", "", 0, {}});
    c.push_back({"invalid_options",
                 {{"demo.kta", demo}},
                 {"-", "-x", "-dx", "demo.kta"},
                 "Error: Invalid option -\nError: Invalid option -x\n" + demo_stats_line,
                 "",
                 0,
                 {{"demo.out", demo_out}}});
    c.push_back({"option_sequence",
                 {{"one.kta", demo}, {"two.kta", demo}, {"six.kta", demo}, {"ten.kta", demo}},
                 {"one.kta", "-d", "two.kta", "-ebin", "six.kta", "-l", "ten.kta"},
                 demo_listing("one.kta") + stats("two.kta", 9, 8, 1, 4, 4, 40) +
                     stats("six.kta", 9, 8, 1, 4, 4, 40) + demo_listing("ten.kta"),
                 "",
                 0,
                 {{"two.out", demo_out}, {"six.bin", demo_out}}});
    // Windows drops a dot at the end of a file name, so the file there is "demo".
    c.push_back({"empty_extension",
                 {{"demo.kta", demo}},
                 {"-e", "-d", "demo.kta"},
                 demo_stats_line,
                 "",
                 0,
                 {{tested_on_windows() ? "demo" : "demo.", demo_out}}});
    c.push_back({"extension_with_dot",
                 {{"demo.kta", demo}},
                 {"-E.bin", "-d", "demo.kta"},
                 demo_stats_line,
                 "",
                 0,
                 {{"demo..bin", demo_out}}});
    c.push_back({"end_mark_only_listing",
                 {{"e.kta", hex_bytes("00")}},
                 {"e.kta"},
                 header("e.kta", 1, "KTA offset 1 byte ....... ") +
                     "Pack:    +0   Unpack:    +0  ...  End mark\n\n" +
                     stats("e.kta", 1, 0, 0, 0, 0, 8) + "\n",
                 "",
                 0,
                 {}});
    c.push_back({"end_mark_only_depack",
                 {{"e.kta", hex_bytes("00")}},
                 {"-d", "e.kta"},
                 stats("e.kta", 1, 0, 0, 0, 0, 8),
                 "",
                 0,
                 {{"e.kta.out", ""}}});
    c.push_back({"empty_ktb_file",
                 {{"e.ktb", ""}},
                 {"e.ktb", "-d", "e.ktb"},
                 header("e.ktb", 0, "KTB offset 2 bytes ...... ") + "\n" +
                     stats("e.ktb", 0, 0, 0, 0, 0, 0) + "\n" + stats("e.ktb", 0, 0, 0, 0, 0, 0),
                 "",
                 0,
                 {{"e.ktb.out", ""}}});
    c.push_back(
        {"no_end_mark_listing",
         {{"n.kta", hex_bytes("06 41 42 43 05 03")}},
         {"n.kta"},
         header("n.kta", 6, "KTA offset 1 byte ....... ") +
             "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 3          Data:  41 42 43\n"
             "Pack:    +4   Unpack:    +3  ...  Sekvence ... Length: 2      Offset: 3     \n"
             "\n" +
             stats("n.kta", 6, 5, 1, 2, 3, 24) + "\n",
         "",
         0,
         {}});
    c.push_back(
        {"no_end_mark_ends_in_literal_run",
         {{"n.kta", hex_bytes("06 41 42 43 05 03 04 44 45")}},
         {"n.kta"},
         header("n.kta", 9, "KTA offset 1 byte ....... ") +
             "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 3          Data:  41 42 43\n"
             "Pack:    +4   Unpack:    +3  ...  Sekvence ... Length: 2      Offset: 3     \n"
             "Pack:    +6   Unpack:    +5  ...  Unpacked ... Length: 2          Data:  44 45\n"
             "\n" +
             stats("n.kta", 9, 7, 1, 2, 5, 32) + "\n",
         "",
         0,
         {}});
    c.push_back(
        {"sequence_before_any_data",
         {{"n.kta", hex_bytes("05 03 06 41 42 43")}},
         {"n.kta"},
         header("n.kta", 6, "KTA offset 1 byte ....... ") +
             "Pack:    +0   Unpack:    +0  ...  Sekvence ... Length: 2      Offset: 3     \n"
             "\nError in n.kta at +2: Unpack 0 - offset 3 < 0\n",
         "",
         0,
         {}});
    c.push_back({"no_end_mark_depack",
                 {{"n.ktb", hex_bytes("03 41 42 43 42 03")}},
                 {"-d", "n.ktb"},
                 stats("n.ktb", 6, 5, 1, 2, 3, 24),
                 "",
                 0,
                 {{"n.ktb.out", "ABCAB"}}});
    c.push_back({"three_runs_of_ten_in_one_line",
                 {{"r.kta", write_kta({literal(ten), literal(ten), literal(ten), end_mark()})}},
                 {"r.kta"},
                 header("r.kta", 34, "KTA offset 1 byte ....... ") +
                     "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 30         Data:  "
                     "61 62 63 64 65 66 67 68 69 6A 61 62 63 64 65 66 ...\n"
                     "Pack:   +33   Unpack:   +30  ...  End mark\n\n" +
                     stats("r.kta", 34, 30, 0, 0, 30, 32) + "\n",
                 "",
                 0,
                 {}});
    c.push_back(
        {"runs_after_sequence_start_a_new_line",
         {{"r.ktb",
           write_ktb({literal(ten), sequence(4, 10), literal("Z"), literal("Y"), end_mark()})}},
         {"r.ktb", "-d", "r.ktb"},
         header("r.ktb", 18, "KTB offset 2 bytes ...... ") +
             "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 10         Data:  "
             "61 62 63 64 65 66 67 68 69 6A\n"
             "Pack:   +11   Unpack:   +10  ...  Sekvence ... Length: 4      Offset: 10    \n"
             "Pack:   +13   Unpack:   +14  ...  Unpacked ... Length: 2          Data:  5A 59\n"
             "Pack:   +17   Unpack:   +16  ...  End mark\n\n" +
             stats("r.ktb", 18, 16, 1, 4, 12, 48) + "\n" + stats("r.ktb", 18, 16, 1, 4, 12, 48),
         "",
         0,
         {{"r.ktb.out", ten + "abcdZY"}}});
    c.push_back({"pending_line_of_sixteen",
                 {{"p.kta", write_kta({literal(letters(16)), end_mark()})}},
                 {"p.kta"},
                 header("p.kta", 18, "KTA offset 1 byte ....... ") +
                     "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 16         Data:  "
                     "61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F 70\n"
                     "Pack:   +17   Unpack:   +16  ...  End mark\n\n" +
                     stats("p.kta", 18, 16, 0, 0, 16, 16) + "\n",
                 "",
                 0,
                 {}});
    c.push_back({"pending_line_of_seventeen",
                 {{"p.kta", write_kta({literal(letters(15)), literal("XY"), end_mark()})}},
                 {"p.kta"},
                 header("p.kta", 20, "KTA offset 1 byte ....... ") +
                     "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 17         Data:  "
                     "61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F 58 ...\n"
                     "Pack:   +19   Unpack:   +17  ...  End mark\n\n" +
                     stats("p.kta", 20, 17, 0, 0, 17, 24) + "\n",
                 "",
                 0,
                 {}});
    return c;
}

std::vector<cli_case> bound_cases() {
    std::vector<cli_case> c;
    c.push_back(
        {"offset_equal_to_position",
         {{"o.kta", write_kta({literal("AB"), sequence(5, 2), sequence(1, 7), end_mark()})}},
         {"-d", "o.kta"},
         stats("o.kta", 8, 8, 2, 6, 2, 48),
         "",
         0,
         {{"o.kta.out", "ABABABAA"}}});
    c.push_back(
        {"offset_one_beyond_position_listing",
         {{"o.kta", write_kta({literal("AB"), sequence(2, 3), end_mark()})}},
         {"o.kta"},
         header("o.kta", 6, "KTA offset 1 byte ....... ") +
             "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 2          Data:  41 42\n"
             "Pack:    +3   Unpack:    +2  ...  Sekvence ... Length: 2      Offset: 3     \n"
             "\nError in o.kta at +5: Unpack 2 - offset 3 < 0\n",
         "",
         0,
         {}});
    c.push_back({"offset_one_beyond_position_depack",
                 {{"o.kta", write_kta({literal("AB"), sequence(2, 3), end_mark()})}},
                 {"-d", "o.kta"},
                 "\nError in o.kta at +5: Unpack 2 - offset 3 < 0\n",
                 "",
                 0,
                 {}});
    c.push_back({"offset_one_repeats_a_byte",
                 {{"o.ktb", write_ktb({literal("A"), sequence(5, 1), end_mark()})}},
                 {"-d", "o.ktb"},
                 stats("o.ktb", 5, 6, 1, 5, 1, 32),
                 "",
                 0,
                 {{"o.ktb.out", "AAAAAA"}}});
    c.push_back({"literal_run_past_the_data",
                 {{"l.kta", hex_bytes("08 41 42 43")}},
                 {"l.kta", "-d", "l.kta"},
                 header("l.kta", 4, "KTA offset 1 byte ....... ") +
                     "\nError in l.kta at +1: Source index + length 4 > size 4\n"
                     "\nError in l.kta at +1: Source index + length 4 > size 4\n",
                 "",
                 0,
                 {}});
    c.push_back({"literal_run_ending_at_the_data",
                 {{"l.kta", hex_bytes("06 41 42 43")}},
                 {"-d", "l.kta"},
                 stats("l.kta", 4, 3, 0, 0, 3, 8),
                 "",
                 0,
                 {{"l.kta.out", "ABC"}}});
    // A stream cut short: a token that needs a byte past the data ends the file at the token's
    // start, the tokens before it listed as with any error, nothing written.
    c.push_back({"offset_byte_past_the_data",
                 {{"z.kta", hex_bytes("06 41 42 43 03")}},
                 {"-d", "z.kta"},
                 "\nError in z.kta at +4: Token reads past the end, size 5\n",
                 "",
                 0,
                 {}});
    c.push_back(
        {"cut_short_after_a_sequence",
         {{"c.kta", hex_bytes("06 41 42 43 09 03 03")}},
         {"c.kta", "-d", "c.kta"},
         header("c.kta", 7, "KTA offset 1 byte ....... ") +
             "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 3          Data:  41 42 43\n"
             "Pack:    +4   Unpack:    +3  ...  Sekvence ... Length: 4      Offset: 3     \n"
             "\nError in c.kta at +6: Token reads past the end, size 7\n"
             "\nError in c.kta at +6: Token reads past the end, size 7\n",
         "",
         0,
         {}});
    c.push_back({"ktb_second_control_byte_past_the_data",
                 {{"c.ktb", hex_bytes("01 41 80")}},
                 {"-d", "c.ktb"},
                 "\nError in c.ktb at +2: Token reads past the end, size 3\n",
                 "",
                 0,
                 {}});
    c.push_back(
        {"bit_stream_end_mark_cut_short",
         {{"z-t31.bin", hex_bytes("41 28 01 42 00")}},
         {"z-t31.bin", "-d", "z-t31.bin"},
         header("z-t31.bin", 5, "ZX7 offset 1 byte ....... ") +
             "Pack:    +0   Unpack:    +0  ...  First byte 0x41\n"
             "Pack:    +1   Unpack:    +1  ...  Sekvence ... Length: 3      Offset: 1     \n"
             "\nError in z-t31.bin at +4: Token reads past the end, size 5\n"
             "\nError in z-t31.bin at +4: Token reads past the end, size 5\n",
         "",
         0,
         {}});
    c.push_back({"bit_stream_cut_at_a_token_end",
                 {{"y-t31.bin", hex_bytes("41 28 01")}},
                 {"-d", "y-t31.bin"},
                 stats("y-t31.bin", 3, 4, 1, 3, 0, 12),
                 "",
                 0,
                 {{"y-t31.out", "AAAA"}}});
    c.push_back({"output_of_exactly_80000_bytes",
                 {{"big.ktb", ktb_run_of_x(80000, true)}},
                 {"-d", "big.ktb"},
                 stats("big.ktb", 18, 80000, 5, 79999, 1, 136),
                 "",
                 0,
                 {{"big.out", repeat('x', 80000)}}});
    c.push_back({"output_one_byte_beyond_80000",
                 {{"big.ktb", ktb_run_of_x(80001, true)}},
                 {"-d", "big.ktb"},
                 "\nError in big.ktb at +17: Unpack 65533 + length 14468 > buffer 80000\n",
                 "",
                 0,
                 {}});
    c.push_back({"file_longer_than_80000_listing",
                 {{"cut.ktb", ktb_literals_to_80000() + hex_bytes("00 00")}},
                 {"cut.ktb"},
                 header("cut.ktb", 80000, "KTB offset 2 bytes ...... ") +
                     "Pack:    +0   Unpack:    +0  ...  Unpacked ... Length: 79990      Data:  "
                     "61 61 61 61 61 61 61 61 61 61 61 61 61 61 61 61 ...\n"
                     "\n" +
                     stats("cut.ktb", 80000, 79990, 0, 0, 79990, 80) + "\n",
                 "",
                 0,
                 {}});
    c.push_back({"file_longer_than_80000_without_end_mark_depack",
                 {{"cut.ktb", ktb_literals_to_80000() + hex_bytes("00 00")}},
                 {"-d", "cut.ktb"},
                 "\nError in cut.ktb: No end mark in the first 80000 bytes of the file\n",
                 "",
                 0,
                 {}});
    c.push_back({"file_longer_than_80000_with_end_mark_depack",
                 {{"end.ktb", ktb_run_of_x(5, true) + repeat('\xFF', 80000)}},
                 {"-u", "end.ktb"},
                 stats("end.ktb", 5, 5, 1, 4, 1, 32),
                 "",
                 0,
                 {{"end.out", "xxxxx"}}});
    return c;
}

// Name tables: empty files, which every model unpacks to nothing, show the model's header
// and the output names of both modes.
std::vector<cli_case> name_cases() {
    struct row {
        const char* arg;
        const char* model_text;
        const char* depack_name;
        const char* strip_name;
    };
    const row rows[] = {
        {"game-t35o4.bin", "ZX7 fixed offset  4 ..... ", "game-t35o4.out", "game.out"},
        {"x-t46o3o7.dat", "BLK two offsets  3 7 .... ", "x-t46o3o7.out", "x.out"},
        {"x-t56o4o12.dat", "TS1 two offsets  4 12 ... ", "x-t56o4o12.out", "x.out"},
        {"my-file-t24o5.bin", "KTB 4 offs: 5 10 15 20 .. ", "my-file-t24o5.out", "my-file.out"},
        {"music-t17.prg", "KTA elias-gama offset ... ", "music-t17.out", "music.out"},
        {"x-t11.kta", "KTA offset 1 byte ....... ", "x-t11.out", "x.out"},
        {"demo.kta", "KTA offset 1 byte ....... ", "demo.out", "demo.out"},
        {"DEMO.KTB", "KTB offset 2 bytes ...... ", "DEMO.out", "DEMO.out"},
        {"a.kta", "KTA offset 1 byte ....... ", "a.kta.out", "a.kta.out"},
        {"A.KtA", "KTA offset 1 byte ....... ", "A.KtA.out", "A.KtA.out"},
        {"x-t22.kta", "KTB offset 2 bytes ...... ", "x-t22.out", "x.out"},
        {"x-t46o3o7.datas", "BLK two offsets  3 7 .... ", "x-t46o3o7.datas.out", "x.out"},
        {"x-t45o+8", "BLK fixed offset  8 ..... ", "x-t45o+8.out", "x.out"},
        {"x-t15o1000.bin", "KTA fixed offset 1000 ... ", "x-t15o1000.out", "x.out"},
        {"w-t14o100.bin", "KTA 4 offs: 100 200 300 400  ", "w-t14o100.out", "w.out"},
        {"w-t26o10o12345.bin", "KTB two offsets 10 12345  ", "w-t26o10o12345.out", "w.out"},
        {"w-t14o4294967295.bin", "KTA 4 offs: 4294967295 4294967294 4294967293 4294967292  ",
         "w-t14o4294967295.out", "w.out"},
    };
    std::vector<cli_case> c;
    for (const row& r : rows) {
        const std::string arg = r.arg;
        std::string id = arg;
        for (char& ch : id)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        const std::string empty_stats = stats(arg, 0, 0, 0, 0, 0, 0);
        c.push_back({"name_" + id + "_list",
                     {{arg, ""}},
                     {arg},
                     header(arg, 0, r.model_text) + "\n" + empty_stats + "\n",
                     "",
                     0,
                     {}});
        c.push_back({"name_" + id + "_depack",
                     {{arg, ""}},
                     {"-d", arg},
                     empty_stats,
                     "",
                     0,
                     {{r.depack_name, ""}}});
        c.push_back({"name_" + id + "_strip",
                     {{arg, ""}},
                     {"-u", arg},
                     empty_stats,
                     "",
                     0,
                     {{r.strip_name, ""}}});
    }
    const std::pair<const char*, const char*> errors[] = {
        {"x-t33", "Unknown offset coding 3 for file x-t33\n"},
        {"x-t45", "Cannot determine offset1 for file x-t45\n"},
        {"x-t35o0.bin", "Cannot determine offset1 for file x-t35o0.bin\n"},
        {"x-t46o12", "Cannot determine offset2 for file x-t46o12\n"},
        {"x-t46o3.bin", "Cannot determine offset2 for file x-t46o3.bin\n"},
        {"game-t12-new.bin", "Cannot determine compress type for file game-t12-new.bin\n"},
        {"my-tmp/file.kta", "Unknown compress type 61 for file my-tmp/file.kta\n"},
        {"data.kta.bak", "Cannot determine compress type for file data.kta.bak\n"},
        {"x-t1", "Cannot determine compress type for file x-t1\n"},
        {"x-t63.bin", "Unknown offset coding 3 for file x-t63.bin\n"},
        {"x-t73.bin", "Unknown compress type 7 for file x-t73.bin\n"},
        {"x-t08.bin", "Unknown compress type 0 for file x-t08.bin\n"},
        {"x-t3/.bin", "Unknown offset coding -1 for file x-t3/.bin\n"},
        {"kta", "Cannot determine compress type for file kta\n"},
        {"", "Cannot determine compress type for file \n"},
    };
    std::vector<std::string> list_args, depack_args{"-d"};
    std::string list_out, depack_out;
    for (const auto& [arg, message] : errors) {
        list_args.push_back(arg);
        depack_args.push_back(arg);
        list_out += std::string("\n") + message;
        depack_out += message;
    }
    c.push_back({"name_errors_list", {}, list_args, list_out, "", 0, {}});
    c.push_back({"name_errors_depack", {}, depack_args, depack_out, "", 0, {}});
    // A byte above 127 where the coding digit belongs counts as a negative number.
    c.push_back({"name_error_non_ascii_byte",
                 {},
                 {"x-t1\xE9.bin"},
                 "\nUnknown offset coding -71 for file x-t1\xE9.bin\n",
                 "",
                 0,
                 {}});
    return c;
}

const std::string zx7_demo = hex_bytes("41 28 01 42 00 02");

std::vector<cli_case> first_byte_cases() {
    std::vector<cli_case> c;
    c.push_back({"first_byte_only",
                 {{"f-t31.bin", "A"}},
                 {"f-t31.bin", "-u", "f-t31.bin"},
                 header("f-t31.bin", 1, "ZX7 offset 1 byte ....... ") +
                     "Pack:    +0   Unpack:    +0  ...  First byte 0x41\n\n" +
                     stats("f-t31.bin", 1, 1, 0, 0, 0, 0) + "\n" +
                     stats("f-t31.bin", 1, 1, 0, 0, 0, 0),
                 "",
                 0,
                 {{"f.out", "A"}}});
    c.push_back({"first_byte_model_on_empty_file",
                 {{"f-t51.bin", ""}},
                 {"f-t51.bin", "-d", "f-t51.bin"},
                 header("f-t51.bin", 0, "TS1 offset 1 byte ....... ") + "\n" +
                     stats("f-t51.bin", 0, 0, 0, 0, 0, 0) + "\n" +
                     stats("f-t51.bin", 0, 0, 0, 0, 0, 0),
                 "",
                 0,
                 {{"f-t51.out", ""}}});
    return c;
}

std::vector<cli_case> file_cases() {
    const std::string deep = repeat('d', 200) + "/" + repeat('e', 200) + "/" + repeat('f', 200) +
                             "/" + repeat('g', 200) + "/" + repeat('h', 200) + "/" +
                             repeat('i', 200);
    const std::string long_name = deep + "/" + repeat('n', 100) + "-t11.bin";
    const std::string wide = "a_rather_long_name_of_a_packed_file.kta";
    std::vector<cli_case> c;
    c.push_back({"name_wider_than_the_column",
                 {{wide, demo}},
                 {"-d", wide},
                 wide + "      9 => 8      NumSek: 1     Packed: 4      NoPack: 4      "
                        "Overhead: 5     (40 bits)\n",
                 "",
                 0,
                 {{"a_rather_long_name_of_a_packed_file.out", demo_out}}});
    c.push_back({"name_longer_than_1024",
                 {{long_name, demo}},
                 {"-u", long_name},
                 stats(long_name, 9, 8, 1, 4, 4, 40),
                 "",
                 0,
                 {{deep + "/" + repeat('n', 100) + ".out", demo_out}}});
    c.push_back({"missing_file",
                 {},
                 {"none.kta", "-d", "none.kta"},
                 "\n",
                 "none.kta: No such file or directory\nnone.kta: No such file or directory\n",
                 0,
                 {}});
    c.push_back(
        {"input_is_a_directory",
         {},
         {"dir.kta", "-d", "dir.kta"},
         "\n",
         "dir.kta: " + folder_reason() + "\ndir.kta: " + folder_reason() + "\n",
         0,
         {},
         [](const std::string& dir) { std::filesystem::create_directory(dir + "/dir.kta"); }});
    c.push_back({"output_name_is_the_input",
                 {{"x-t12.out", write_ktb({literal("A"), end_mark()})}},
                 {"-d", "x-t12.out"},
                 "\nError in x-t12.out: Output file x-t12.out is the input file itself\n",
                 "",
                 0,
                 {}});
    c.push_back({"output_is_a_hard_link_to_the_input",
                 {{"demo.kta", demo}},
                 {"-d", "demo.kta"},
                 "\nError in demo.kta: Output file demo.out is the input file itself\n",
                 "",
                 0,
                 {},
                 [](const std::string& dir) {
                     std::filesystem::create_hard_link(dir + "/demo.kta", dir + "/demo.out");
                 }});
    c.push_back({"strip_output_is_a_link_to_the_input",
                 {{"x-t11.out", demo}},
                 {"-u", "x-t11.out", "-d", "./x-t11.out"},
                 "\nError in x-t11.out: Output file x.out is the input file itself\n"
                 "\nError in ./x-t11.out: Output file ./x-t11.out is the input file itself\n",
                 "",
                 0,
                 {},
                 [](const std::string& dir) {
                     std::filesystem::create_symlink("x-t11.out", dir + "/x.out");
                 }});
    c.push_back(
        {"output_cannot_be_opened",
         {{"demo.kta", demo}},
         {"-d", "demo.kta"},
         demo_stats_line,
         "demo.out: " + folder_reason() + "\n",
         0,
         {},
         [](const std::string& dir) { std::filesystem::create_directory(dir + "/demo.out"); }});
    c.push_back({"wildcards_expanded_sorted",
                 {{"a2.kta", demo}, {"a1.kta", demo}, {"a[1].kta", demo}, {"b.kta", demo}},
                 {"-d", "a?.kta", "a[1].kta", "zz*.kta"},
                 stats("a1.kta", 9, 8, 1, 4, 4, 40) + stats("a2.kta", 9, 8, 1, 4, 4, 40) +
                     stats("a[1].kta", 9, 8, 1, 4, 4, 40),
                 "zz*.kta: " + wildcard_name_reason() + "\n",
                 0,
                 {{"a1.out", demo_out}, {"a2.out", demo_out}, {"a[1].out", demo_out}}});
    c.push_back({"wildcard_match_counts_as_file_in_list_mode",
                 {{"q1.kta", demo}},
                 {"q*.kta"},
                 demo_listing("q1.kta"),
                 "",
                 0,
                 {}});
    // On Windows too, where the C runtime used to expand it: -d.kta was taken as -d, and a.kta
    // depacked rather than listed.
    c.push_back({"wildcard_match_with_a_dash_is_a_file",
                 {{"-d.kta", demo}, {"a.kta", demo}},
                 {"*.kta"},
                 demo_listing("-d.kta") + demo_listing("a.kta"),
                 "",
                 0,
                 {}});
    return c;
}

std::vector<cli_case> all_cases() {
    std::vector<cli_case> all;
    for (auto part : {basic_cases, bound_cases, name_cases, first_byte_cases, file_cases}) {
        std::vector<cli_case> p = part();
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

// Test names in place of a dump of the case's bytes.
void PrintTo(const cli_case& c, std::ostream* os) { *os << c.name; }

class ktulist_cli : public testing::TestWithParam<cli_case> {};

TEST_P(ktulist_cli, leaves_exact_output_and_files) {
    const cli_case& tc = GetParam();
    scratch_folder dir;
    for (const auto& [name, bytes] : tc.files) write_file(dir.path / name, bytes);
    if (tc.setup) tc.setup(dir.path.string());
    file_map expected = folder_files(dir.path);
    for (const auto& [name, bytes] : tc.new_files) expected[name] = bytes;

    const run_result r = run_tested(KTULIST_PATH, tc.args, dir);
    EXPECT_EQ(r.out, tc.out);
    EXPECT_EQ(r.err, tc.err);
    EXPECT_EQ(r.status, tc.status);
    const file_map after = folder_files(dir.path);
    EXPECT_EQ(after.size(), expected.size());
    for (const auto& [name, bytes] : expected) {
        auto it = after.find(name);
        if (it == after.end()) {
            ADD_FAILURE() << "missing file " << name;
            continue;
        }
        EXPECT_TRUE(it->second == bytes) << "file " << name << " differs (" << it->second.size()
                                         << " bytes, expected " << bytes.size() << ")";
    }
    for (const auto& [name, bytes] : after)
        if (!expected.count(name)) ADD_FAILURE() << "unexpected file " << name;
}

INSTANTIATE_TEST_SUITE_P(cases, ktulist_cli, testing::ValuesIn(all_cases()),
                         [](const testing::TestParamInfo<cli_case>& info) {
                             return info.param.name;
                         });

// A short write is detected when the file is closed and reported; a link to a device is
// written through and stays.
TEST(ktulist_cli_write, failed_write_to_a_device_is_reported) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    scratch_folder dir;
    write_file(dir.path / "demo.kta", demo);
    std::filesystem::create_symlink("/dev/full", dir.path / "demo.out");
    const run_result r = run_tested(KTULIST_PATH, {"-d", "demo.kta"}, dir);
    EXPECT_EQ(r.out, demo_stats_line + "Can't write demo.out\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(folder_files(dir.path), (file_map{{"demo.kta", demo}, {"demo.out", "-> /dev/full"}}));
}

// -e with a slash makes an output name that names a folder: the reason is the one a direct
// creation gives (the Windows C runtime words its own), and nothing is written.
TEST(ktulist_cli_write, output_name_ending_in_a_slash) {
    scratch_folder dir;
    write_file(dir.path / "demo.kta", demo);
    const run_result r = run_tested(KTULIST_PATH, {"-d", "-ex/", "demo.kta"}, dir);
    EXPECT_EQ(r.out, demo_stats_line);
    if (tested_on_windows())
        EXPECT_EQ(r.err.rfind("demo.x/: ", 0), 0u) << r.err;
    else
        EXPECT_EQ(r.err, "demo.x/: Is a directory\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(folder_files(dir.path), (file_map{{"demo.kta", demo}}));
}

// A bit stream after a first raw byte: the first token starts at +1, the statistics count
// bits, and 31 bits round up to 4 bytes.
TEST(ktulist_cli_first_byte, first_token_follows_the_first_byte) {
    scratch_folder dir;
    write_file(dir.path / "z-t31.bin", zx7_demo);
    const run_result r = run_tested(KTULIST_PATH, {"z-t31.bin", "-d", "z-t31.bin"}, dir);
    EXPECT_EQ(r.out,
              header("z-t31.bin", 6, "ZX7 offset 1 byte ....... ") +
                  "Pack:    +0   Unpack:    +0  ...  First byte 0x41\n"
                  "Pack:    +1   Unpack:    +1  ...  Sekvence ... Length: 3      Offset: 1     \n"
                  "Pack:    +3   Unpack:    +4  ...  Unpacked ... Length: 1          Data:  42\n"
                  "Pack:    +4   Unpack:    +5  ...  End mark\n\n" +
                  stats("z-t31.bin", 6, 5, 1, 3, 1, 31) + "\n" +
                  stats("z-t31.bin", 6, 5, 1, 3, 1, 31));
    EXPECT_EQ(read_file(dir.path / "z-t31.out"), "AAAAB");
}

} // namespace
