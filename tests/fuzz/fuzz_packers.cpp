// libFuzzer target for the packers: packs its input (cut to 65536 bytes) with both variants
// through the phases the programs run, and checks that the readers' token walk gives the
// input back from a stream that ends with its end mark, and that the plain reference walk
// writes the same stream.
#include <cstdint>
#include <cstring>

#include "forward_pass_plain.h"
#include "pack_input.h"
#include "token_walk.h"
#include "variant.h"

namespace {

pack_tables tables;
uint8_t packed[max_output];
uint8_t packed_plain[max_output];
uint8_t back[max_input + 16];

template <class V>
void round_trip(const uint8_t* in, int n, const pack_model& model) {
    // The phases expect zeroed tables, as a program starts with them.
    memset(&tables, 0, sizeof tables);
    emit_figures fig;
    if (failed(pack_input<V>(tables, in, n, packed, fig))) __builtin_trap();
    const depack_outcome d = depack_stream(packed, fig.packed_len, model, back, sizeof back);
    if (d.status != walk_status::end_mark || d.packed_pos != fig.packed_len) __builtin_trap();
    if (d.out_size != n || memcmp(back, in, size_t(n)) != 0) __builtin_trap();
    memset(&tables, 0, sizeof tables);
    emit_figures plain_fig;
    if (failed(pack_input_plain<V>(tables, in, n, packed_plain, plain_fig))) __builtin_trap();
    if (plain_fig.packed_len != fig.packed_len ||
        memcmp(packed_plain, packed, size_t(fig.packed_len)) != 0)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int n = size > size_t(max_input) ? max_input : int(size);
    round_trip<ktb_variant>(data, n, {type_ktb, 2, 0, 0});
    round_trip<kta_variant>(data, n, {type_kta, 1, 0, 0});
    // The input's low bits as two byte values, where KtbPack's walk takes the two-symbol
    // tables; cut, as the plain walk goes through a quarter to half of the earlier positions
    // at each.
    static uint8_t two[8192];
    const int m = n < int(sizeof two) ? n : int(sizeof two);
    for (int k = 0; k < m; ++k) two[k] = data[k] & 1 ? 0x91 : 0x2A;
    round_trip<ktb_variant>(two, m, {type_ktb, 2, 0, 0});
    return 0;
}
