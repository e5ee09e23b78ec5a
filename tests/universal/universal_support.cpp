#include "universal_support.h"

#include <cstdio>

#include "decode_token.h"
#include "format_table.h"
#include "token_walk.h"

std::vector<pack_model> covered_models() {
    std::vector<pack_model> models;
    for (const compression_type_row& row : compression_types) {
        const int type = row.type;
        for (int coding : {1, 2, 7}) models.push_back({type, coding, 0, 0});
        for (int w : {1, 2, 3, 7}) models.push_back({type, 4, w, 0});
        for (int w : {1, 2, 3, 9, 16}) models.push_back({type, 5, w, 0});
        for (auto [a, b] : {std::pair{1, 1}, {1, 2}, {2, 1}, {3, 1}, {3, 2}, {4, 12}, {15, 1}})
            models.push_back({type, 6, a, b});
    }
    return models;
}

std::string model_text(const pack_model& m) {
    char text[48];
    const int params = offset_param_count(m.coding);
    if (params == 2)
        snprintf(text, sizeof text, "-t%d%do%do%d", m.type, m.coding, m.offset1, m.offset2);
    else if (params == 1)
        snprintf(text, sizeof text, "-t%d%do%d", m.type, m.coding, m.offset1);
    else
        snprintf(text, sizeof text, "-t%d%d", m.type, m.coding);
    return text;
}

packed pack_input(const std::vector<uint8_t>& in, const pack_model& m) {
    file_matches fm;
    prepare_file(in.data(), static_cast<int32_t>(in.size()), fm);
    return pack_prepared(fm, m);
}

packed pack_prepared(const file_matches& fm, const pack_model& m) {
    packed r;
    const int32_t n = fm.size;
    static parse_space space; // sized anew only when the input size changes
    if (space.stride != n + 1) size_parse_space(n, space);
    std::vector<token> tokens(static_cast<size_t>(n));
    r.stream.resize(2 * static_cast<size_t>(n) + 64);
    pack_outcome outcome;
    r.status = pack_stream(fm, m, space, tokens.data(), r.stream.data(),
                           static_cast<int32_t>(r.stream.size()), outcome);
    r.stream.resize(r.status == universal_status::ok ? static_cast<size_t>(outcome.size) : 0);
    r.margin = outcome.margin;
    return r;
}

in_place_result depack_in_place(const std::vector<uint8_t>& stream, const pack_model& m,
                                size_t out_size, int32_t margin) {
    // Room before the output: a stream with too small a margin may start before it.
    const int64_t guard = 64;
    std::vector<uint8_t> buf(static_cast<size_t>(guard) + out_size + static_cast<size_t>(margin));
    const int64_t base =
        guard + static_cast<int64_t>(out_size) + margin - static_cast<int64_t>(stream.size());
    std::copy(stream.begin(), stream.end(), buf.begin() + base);
    stream_cursor cur;
    reset_cursor(cur, buf.data() + base, static_cast<int32_t>(stream.size()));
    in_place_result r;
    int64_t w = guard;
    auto write = [&](uint8_t b) {
        if (w >= base + cur.pos && w < base + static_cast<int64_t>(stream.size()))
            r.overwrote_unread = true;
        buf[static_cast<size_t>(w++)] = b;
    };
    if (first_byte_flag(m.type) == 1) write(static_cast<uint8_t>(stream_byte(cur)));
    for (;;) {
        token t;
        if (decode_token(cur, m, t).error != decode_error::none || t.length == 0) {
            r.failed = t.length != 0;
            break;
        }
        if (static_cast<uint64_t>(w - guard) + t.length > out_size ||
            (t.offset != 0 && t.offset > w - guard)) {
            r.failed = true;
            break;
        }
        for (uint32_t k = 0; k < t.length; ++k)
            write(t.offset == 0 ? static_cast<uint8_t>(stream_byte(cur))
                                : buf[static_cast<size_t>(w - t.offset)]);
    }
    r.out.assign(buf.begin() + guard, buf.begin() + w);
    return r;
}

depacked_stream depack(const std::vector<uint8_t>& stream, const pack_model& m) {
    depacked_stream r;
    // Room past the input size, so that a stream producing too much shows as such.
    r.out.resize(65536 + 1024);
    r.outcome = depack_stream(stream.data(), static_cast<int32_t>(stream.size()), m, r.out.data(),
                              static_cast<uint32_t>(r.out.size()));
    r.out.resize(static_cast<size_t>(r.outcome.out_size));
    return r;
}
