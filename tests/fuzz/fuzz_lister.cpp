// libFuzzer target for the listing and depacking loop and the model reading from names.
// The first input bytes choose mode (and a cut-off long file), model and widths; the rest
// is the packed data, left at the end of the fuzzer's own allocation so that any read past
// it is caught. Byte 0 with bit 7 set feeds the rest to the name reading instead.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

#include "format_table.h"
#include "name_model.h"
#include "output_name.h"
#include "token_loop.h"

namespace {

constexpr size_t control_bytes = 5;

// Widths inside the formats and the odd ones a name can carry: 0, negative, huge.
int pick_width(uint8_t b) {
    static const int odd[] = {0, -1, -7, -31, 32, 33, 63, 64, 1000, INT_MAX, INT_MIN, -1000};
    constexpr int odd_count = sizeof odd / sizeof odd[0];
    return b < 32 ? b : odd[(b - 32) % odd_count];
}

// Bytes as a file name: the model reading and output naming must hold for any of them.
void fuzz_name(const uint8_t* data, size_t size) {
    const std::string arg(reinterpret_cast<const char*>(data), size);
    name_model model;
    if (model_from_name(arg, model).error == name_error::none) {
        (void)output_name(arg, model.base_end, "out");
        (void)output_name(arg, model.strip_cut, "");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The listing lines are not what is checked here; the fuzzer reports on stderr.
    if (freopen("/dev/null", "w", stdout) == nullptr) return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < control_bytes) return 0;
    if (data[0] & 0x80) {
        fuzz_name(data + 1, size - 1);
        return 0;
    }
    stream_job job;
    job.name = "fuzz";
    job.mode = static_cast<run_mode>((data[0] & 0x3F) % 3);
    job.input_cut = (data[0] & 0x40) != 0; // as if the file went on past these bytes
    job.model.type = 1 + data[1] % compression_type_count;
    job.model.coding = offset_codings[data[2] % offset_coding_count].coding;
    job.model.offset1 = pick_width(data[3]);
    job.model.offset2 = pick_width(data[4]);

    size_t packed = size - control_bytes;
    if (packed > static_cast<size_t>(kt_buf_size)) {
        packed = kt_buf_size;
        job.input_cut = true;
    }
    // The data ends where the fuzzer's buffer ends (or is cut as a long file is).
    const uint8_t* stream = data + control_bytes;
    const stream_result r = list_or_depack(stream, static_cast<int32_t>(packed), job);
    if (r.write_output && (r.stats.unpacked < 0 || r.stats.unpacked > kt_buf_size))
        __builtin_trap();
    return 0;
}
