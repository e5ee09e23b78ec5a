// The tree is a treap of suffixes: ordered by their bytes, the most recent on top. The
// nearest source with a match of at least L bytes is the most recent suffix of a run of
// suffixes next to the new one in byte order, so it lies on the new suffix's search path,
// which the insertion walks anyway. Suffixes are compared by rank and their common prefix
// taken from the suffix index, so a long match costs no more than a short one.
#include "match_front.h"

namespace {
constexpr int32_t no_node = -1;
} // namespace

void find_match_front(const uint8_t* data, const suffix_index& ix, match_front& front) {
    const int32_t size = ix.size;
    front.size = size;
    front.start.assign(static_cast<size_t>(size) + 1, 0);
    front.pairs.clear();
    front.longest = 0;
    front.pairs.reserve(static_cast<size_t>(size) * 4);
    std::vector<int32_t> smaller(static_cast<size_t>(size), no_node);
    std::vector<int32_t> larger(static_cast<size_t>(size), no_node);
    int32_t root[256];
    for (int32_t& r : root) r = no_node;

    for (int32_t p = 0; p < size; ++p) {
        front.start[static_cast<size_t>(p)] = static_cast<uint32_t>(front.pairs.size());
        const int32_t rank_p = ix.rank[static_cast<size_t>(p)];
        int32_t cur = root[data[p]];
        root[data[p]] = p;
        // Where the next node found smaller (larger) than p hangs.
        int32_t* hang_smaller = &smaller[static_cast<size_t>(p)];
        int32_t* hang_larger = &larger[static_cast<size_t>(p)];
        int32_t best = 0;
        bool cut = false;
        while (cur != no_node) {
            const int32_t rank_cur = ix.rank[static_cast<size_t>(cur)];
            const bool cur_smaller = rank_cur < rank_p;
            const int32_t len = cur_smaller ? lcp_of_ranks(ix, rank_cur, rank_p)
                                            : lcp_of_ranks(ix, rank_p, rank_cur);
            if (len > best) {
                best = len;
                if (len > front.longest) front.longest = len;
                front.pairs.push_back({static_cast<uint16_t>(p - cur), static_cast<uint16_t>(len)});
            }
            if (p + len == size) {
                // p's suffix is a prefix of cur's: cur never again gives a longer or nearer
                // match than p, so p takes its place.
                *hang_smaller = smaller[static_cast<size_t>(cur)];
                *hang_larger = larger[static_cast<size_t>(cur)];
                cut = true;
                break;
            }
            if (cur_smaller) {
                *hang_smaller = cur;
                hang_smaller = &larger[static_cast<size_t>(cur)];
                cur = *hang_smaller;
            } else {
                *hang_larger = cur;
                hang_larger = &smaller[static_cast<size_t>(cur)];
                cur = *hang_larger;
            }
        }
        if (!cut) {
            *hang_smaller = no_node;
            *hang_larger = no_node;
        }
    }
    front.start[static_cast<size_t>(size)] = static_cast<uint32_t>(front.pairs.size());
}
