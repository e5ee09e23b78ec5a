// Implementation of the test helpers. Streams are depacked by the readers' own token walk.
#include "pack_support.h"

#include <gtest/gtest.h>

#include "forward_pass_plain.h"
#include "pack_input.h"
#include "pack_messages.h"
#include "token_walk.h"
#include "variant.h"

bytes to_bytes(const std::string& s) { return bytes(s.begin(), s.end()); }

std::unique_ptr<pack_tables> fresh_tables() { return std::make_unique<pack_tables>(); }

packed pack_bytes(const bytes& in, bool ktb, bool plain) {
    auto t = fresh_tables();
    std::vector<uint8_t> out(max_output);
    packed r;
    const int n = int(in.size());
    pack_status s;
    if (ktb)
        s = plain ? pack_input_plain<ktb_variant>(*t, in.data(), n, out.data(), r.fig)
                  : pack_input<ktb_variant>(*t, in.data(), n, out.data(), r.fig);
    else
        s = plain ? pack_input_plain<kta_variant>(*t, in.data(), n, out.data(), r.fig)
                  : pack_input<kta_variant>(*t, in.data(), n, out.data(), r.fig);
    r.status = exit_status(s);
    testing::internal::CaptureStdout();
    print_pack_failure(s);
    r.printed = testing::internal::GetCapturedStdout();
    if (r.status == 0) r.stream.assign(out.begin(), out.begin() + r.fig.packed_len);
    return r;
}

bool depack(const bytes& stream, bool ktb, bytes& out) {
    const pack_model model{ktb ? type_ktb : type_kta, ktb ? 2 : 1, 0, 0};
    out.assign(max_input + 16, 0);
    const depack_outcome d = depack_stream(stream.data(), int32_t(stream.size()), model, out.data(),
                                           uint32_t(out.size()));
    out.resize(size_t(d.out_size));
    // The end mark is the last byte.
    return d.status == walk_status::end_mark && size_t(d.packed_pos) == stream.size();
}
