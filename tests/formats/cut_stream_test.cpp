// Streams cut short, as a transfer that lost its last bytes leaves them: every cut of a written
// stream either fails (a token that needs a byte past the data, or a literal run past it) or
// depacks to a prefix of the whole output, never to other bytes, having taken no more bytes
// than the data holds.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "item_code.h"
#include "packed_writer.h"
#include "token_walk.h"

namespace {

std::vector<pack_model> cut_models() {
    std::vector<pack_model> models;
    for (int type = 1; type <= 5; ++type) {
        for (int coding : {1, 2, 7}) models.push_back({type, coding, 0, 0});
        models.push_back({type, 4, 2, 0});
        models.push_back({type, 5, 4, 0});
        models.push_back({type, 6, 3, 9});
    }
    return models;
}

uint32_t pick(std::mt19937& rng, uint32_t lo, uint32_t hi) {
    return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
}

// A stream of random items closed by its end mark; the literal bytes are random too, so that
// bytes read as zeros past a cut would give other data.
std::vector<uint8_t> random_stream(std::mt19937& rng, const pack_model& m) {
    std::vector<uint8_t> buf(1 << 14);
    stream_writer w;
    start_stream(w, buf.data(), static_cast<int32_t>(buf.size()));
    uint8_t bytes[40];
    uint32_t out = 0;
    if (first_byte_flag(m.type) == 1) {
        put_first_byte(w, static_cast<uint8_t>(pick(rng, 0, 255)));
        out = 1;
    }
    for (uint32_t t = pick(rng, 1, 25); t > 0; --t) {
        if (out == 0 || pick(rng, 0, 2) == 0) {
            const uint32_t len = pick(rng, 1, sizeof bytes);
            for (uint8_t& b : bytes) b = static_cast<uint8_t>(pick(rng, 0, 255));
            if (put_literal_run(w, m, bytes, len)) out += len;
        } else {
            const uint32_t len = pick(rng, 1, 30);
            if (put_sequence(w, m, len, pick(rng, 1, std::min(out, 200u)))) out += len;
        }
    }
    put_end_mark(w, m);
    buf.resize(static_cast<size_t>(w.size));
    return buf;
}

struct walked {
    walk_step last;
    std::vector<uint8_t> out;
    int32_t pos = 0; // the stream position the walk ended at
};

walked walk_all(const std::vector<uint8_t>& data, int32_t size, const pack_model& m) {
    walked r;
    r.out.resize(70000);
    token_walk w;
    start_walk(w, data.data(), size, m, r.out.data(), static_cast<uint32_t>(r.out.size()));
    do r.last = walk_token(w);
    while (r.last.status == walk_status::token_taken);
    r.out.resize(static_cast<size_t>(w.out_pos));
    r.pos = w.cur.pos;
    return r;
}

TEST(cut_streams, fail_or_depack_to_a_prefix) {
    std::mt19937 rng(13);
    int cut_tokens = 0;
    int prefixes = 0;
    for (const pack_model& m : cut_models()) {
        for (int round = 0; round < 20; ++round) {
            const std::vector<uint8_t> stream = random_stream(rng, m);
            const walked whole = walk_all(stream, static_cast<int32_t>(stream.size()), m);
            ASSERT_EQ(whole.last.status, walk_status::end_mark);
            for (int32_t cut = 1; cut < static_cast<int32_t>(stream.size()); ++cut) {
                const walked part = walk_all(stream, cut, m);
                const walk_status s = part.last.status;
                const bool past_end = s == walk_status::decode_failed &&
                                      part.last.decode.error == decode_error::past_end;
                ASSERT_TRUE(past_end || s == walk_status::past_data ||
                            s == walk_status::end_of_data)
                    << "model " << m.type << m.coding << " cut at " << cut << " of "
                    << stream.size() << ": status " << static_cast<int>(s);
                if (past_end) ++cut_tokens;
                if (s != walk_status::end_of_data) continue;
                ++prefixes;
                ASSERT_LE(part.pos, cut) << "packed bytes counted past the data";
                ASSERT_LE(part.out.size(), whole.out.size());
                ASSERT_TRUE(std::equal(part.out.begin(), part.out.end(), whole.out.begin()))
                    << "model " << m.type << m.coding << " cut at " << cut << " of "
                    << stream.size() << " depacked to other bytes";
            }
        }
    }
    EXPECT_GT(cut_tokens, 1000);
    EXPECT_GT(prefixes, 1000);
}

} // namespace
