// The driver holds the program's one static set of tables and buffers. It refuses, rather than
// truncates, an input over 65536 bytes, refuses to write over its own input, and reports any
// failed read, write or close instead of claiming success; a failed write leaves what was at
// the output name before untouched.
#include "pack_driver.h"

#include <cerrno>
#include <cstdio>

#include "base_end.h"
#include "clock_ms.h"
#include "file_read.h"
#include "output_write.h"
#include "pack_messages.h"
#include "same_file.h"
#include "stdout_check.h"

std::string output_name(const std::string& input, const char* extension) {
    return input.substr(0, base_end(input)) + extension;
}

namespace {

uint8_t in_buf[max_input + 1]; // one byte more than is packed, to notice a longer input
uint8_t out_buf[max_output];
pack_tables tables;

// Reads the whole input; gives its length, or -1 after the message.
int read_input(const char* in_name, const std::string& out_name) {
    const file_read in = read_whole_file(in_name, in_buf, sizeof in_buf);
    if (!in.ok) return -1;
    if (names_same_file(in_name, out_name)) {
        printf("\nError: Output file %s is the input file\n", out_name.c_str());
        return -1;
    }
    if (in.size > size_t(max_input)) {
        printf("\nError: Input file is longer than %d bytes\n", max_input);
        return -1;
    }
    return int(in.size);
}

bool write_output(const std::string& out_name, int len) {
    const write_result w = write_output_file(out_name, out_buf, size_t(len));
    if (w.failure == write_failure::none) return true;
    errno = w.err;
    report_errno(out_name);
    return false;
}

int run(int argc, char** argv, const packer_texts& texts, pack_function pack) {
    puts(texts.banner);
    if (argc != 2) {
        puts(texts.usage);
        return 1;
    }
    const char* in_name = argv[1];
    const std::string out_name = output_name(in_name, texts.extension);
    printf("Input file: %s  Output file: %s\n", in_name, out_name.c_str());

    const int n = read_input(in_name, out_name);
    if (n < 0) return 1;
    if (n == 0) {
        puts("Zero length of input file !");
        return 1;
    }

    const unsigned start = now_ms();
    emit_figures fig;
    if (const pack_status s = pack(tables, in_buf, n, out_buf, fig); failed(s)) {
        print_pack_failure(s);
        return exit_status(s);
    }
    const unsigned elapsed = now_ms() - start;

    if (!write_output(out_name, fig.packed_len)) return 1;
    printf("Packed: %5u => %-5u    Data: %-5u  Overhead: %-5u", unsigned(n),
           unsigned(fig.packed_len), unsigned(fig.data_count), unsigned(fig.overhead_count));
    if (elapsed > 0) printf("   Time: %u.%03u seconds", elapsed / 1000, elapsed % 1000);
    return 0;
}

} // namespace

int run_packer(int argc, char** argv, const packer_texts& texts, pack_function pack) {
    return finish_stdout(run(argc, argv, texts, pack));
}
