// The driver holds the program's one static set of tables and buffers. It refuses, rather than
// truncates, an input over 65536 bytes, refuses to write over its own input, and reports any
// failed read, write or close instead of claiming success.
#include "pack_driver.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>

std::string output_name(const std::string& input, const char* extension) {
    std::string out = input;
    const size_t len = out.size();
    if (len > 5) {
        const size_t dot = out.find_last_of('.');
        if (dot != std::string::npos && dot >= len - 5) out.resize(dot);
    }
    return out + extension;
}

namespace {

uint8_t in_buf[max_input + 1]; // one byte more than is packed, to notice a longer input
uint8_t out_buf[max_output];
pack_tables tables;

unsigned now_ms() {
    using namespace std::chrono;
    return unsigned(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Whether out_name names the open input file, by spelling or by device and inode.
bool names_input(FILE* in, const std::string& in_name, const std::string& out_name) {
    if (in_name == out_name) return true;
    struct stat in_st;
    struct stat out_st;
    if (fstat(fileno(in), &in_st) != 0 || stat(out_name.c_str(), &out_st) != 0) return false;
    return in_st.st_dev == out_st.st_dev && in_st.st_ino == out_st.st_ino;
}

// Reads the whole input; gives its length, or -1 after the message.
int read_input(const char* in_name, const std::string& out_name) {
    FILE* in = fopen(in_name, "rb");
    if (in == nullptr) {
        perror(in_name);
        return -1;
    }
    if (names_input(in, in_name, out_name)) {
        printf("\nError: Output file %s is the input file\n", out_name.c_str());
        fclose(in);
        return -1;
    }
    const size_t got = fread(in_buf, 1, sizeof in_buf, in);
    if (ferror(in)) {
        perror(in_name);
        fclose(in);
        return -1;
    }
    fclose(in);
    if (got > size_t(max_input)) {
        printf("\nError: Input file is longer than %d bytes\n", max_input);
        return -1;
    }
    return int(got);
}

// Writes the packed stream in one piece; on any failure removes what was written.
bool write_output(const std::string& out_name, int len) {
    FILE* out = fopen(out_name.c_str(), "wb");
    if (out == nullptr) {
        perror(out_name.c_str());
        return false;
    }
    const bool written = fwrite(out_buf, 1, size_t(len), out) == size_t(len);
    if (!written) perror(out_name.c_str());
    const bool closed = fclose(out) == 0;
    if (written && !closed) perror(out_name.c_str());
    if (written && closed) return true;
    remove(out_name.c_str());
    return false;
}

} // namespace

int run_packer(int argc, char** argv, const packer_texts& texts, pack_function pack) {
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
    if (int status = pack(tables, in_buf, n, out_buf, fig)) return status;
    const unsigned elapsed = now_ms() - start;

    if (!write_output(out_name, fig.packed_len)) return 1;
    printf("Packed: %5u => %-5u    Data: %-5u  Overhead: %-5u", unsigned(n), unsigned(fig.packed_len),
           unsigned(fig.data_count), unsigned(fig.overhead_count));
    if (elapsed > 0) printf("   Time: %u.%03u seconds", elapsed / 1000, elapsed % 1000);
    return 0;
}
