// Prefix doubling with counting sorts: each round orders the suffixes by their first 2k bytes
// from the ranks of the first k, in linear time, so that even one long run of a byte (16
// rounds) stays fast. Kasai's walk then gives the common prefixes of neighbours.
#include "suffix_index.h"

#include <algorithm>
#include <atomic>

void build_suffix_index(const uint8_t* data, int32_t size, suffix_index& ix) {
    const size_t n = static_cast<size_t>(size);
    static std::atomic<uint64_t> builds{0};
    ix.serial = ++builds;
    ix.size = size;
    ix.sa.resize(n);
    ix.rank.resize(n);
    std::vector<int32_t> order(n);
    std::vector<int32_t> next(n);
    std::vector<int32_t> count(std::max<size_t>(n, 256) + 1);

    for (size_t i = 0; i < n; ++i) ++count[data[i]];
    for (size_t c = 1; c < 256; ++c) count[c] += count[c - 1];
    for (size_t i = n; i-- > 0;)
        ix.sa[static_cast<size_t>(--count[data[i]])] = static_cast<int32_t>(i);
    int32_t classes = 0;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && data[ix.sa[i]] != data[ix.sa[i - 1]]) ++classes;
        ix.rank[static_cast<size_t>(ix.sa[i])] = classes;
    }
    for (int32_t k = 1; classes + 1 < size; k <<= 1) {
        // By the second key: suffixes shorter than k + 1 first, then in the order of their
        // k-th successor; then a stable counting sort by the first key.
        size_t m = 0;
        for (int32_t i = size - k; i < size; ++i) order[m++] = i;
        for (size_t i = 0; i < n; ++i)
            if (ix.sa[i] >= k) order[m++] = ix.sa[i] - k;
        std::fill(count.begin(), count.begin() + classes + 2, 0);
        for (size_t i = 0; i < n; ++i) ++count[static_cast<size_t>(ix.rank[i])];
        for (int32_t c = 1; c <= classes; ++c)
            count[static_cast<size_t>(c)] += count[static_cast<size_t>(c - 1)];
        for (size_t i = n; i-- > 0;) {
            const int32_t s = order[i];
            ix.sa[static_cast<size_t>(
                --count[static_cast<size_t>(ix.rank[static_cast<size_t>(s)])])] = s;
        }
        auto second = [&](int32_t s) {
            return s + k < size ? ix.rank[static_cast<size_t>(s + k)] : -1;
        };
        classes = 0;
        next[static_cast<size_t>(ix.sa[0])] = 0;
        for (size_t i = 1; i < n; ++i) {
            const int32_t a = ix.sa[i - 1];
            const int32_t b = ix.sa[i];
            if (ix.rank[static_cast<size_t>(a)] != ix.rank[static_cast<size_t>(b)] ||
                second(a) != second(b))
                ++classes;
            next[static_cast<size_t>(b)] = classes;
        }
        ix.rank.swap(next);
    }

    std::vector<uint16_t> lcp(n, 0);
    int32_t h = 0;
    for (int32_t i = 0; i < size; ++i) {
        const int32_t r = ix.rank[static_cast<size_t>(i)];
        if (r == 0) {
            h = 0;
            continue;
        }
        const int32_t j = ix.sa[static_cast<size_t>(r - 1)];
        while (i + h < size && j + h < size && data[i + h] == data[j + h]) ++h;
        lcp[static_cast<size_t>(r)] = static_cast<uint16_t>(h);
        if (h > 0) --h;
    }
    ix.lcp_min.resize(1);
    ix.lcp_min[0] = std::move(lcp);
    for (int32_t span = 2; span <= size; span <<= 1) {
        const std::vector<uint16_t>& prev = ix.lcp_min.back();
        std::vector<uint16_t> row(n);
        for (size_t i = 0; i + static_cast<size_t>(span) <= n; ++i)
            row[i] = std::min(prev[i], prev[i + static_cast<size_t>(span / 2)]);
        ix.lcp_min.push_back(std::move(row));
    }
}
