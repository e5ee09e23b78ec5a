// The streams every depacker test runs: edge streams laid token by token, streams packed in
// process by the packers, and the bench corpus cut to what fits an 8-bit machine's memory.
// Also the least in-place margin of a stream, from the order in which the routines read and write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using bytes = std::vector<uint8_t>;

enum class format { kta, ktb };

struct test_stream {
    std::string name;
    bytes original;
    bytes packed;
};

// The packer of the format over in (1..65536 bytes); an empty result when a phase stopped.
bytes pack_with_packer(format f, const bytes& in);

// Edge streams of the format: the empty output, one byte, the longest runs and sequences,
// overlapping copies, the offset limits, a one-byte run over 16383 and random data.
std::vector<test_stream> edge_streams(format f);

// The bench corpus, each file cut to its first cut bytes, packed by the packer of the format.
std::vector<test_stream> corpus_streams(format f, size_t cut);

// The same files, unpacked (packed left empty).
std::vector<test_stream> corpus_streams_unpacked(size_t cut);

// The least M such that the stream, placed to end M bytes past the end of its output, is never
// overwritten before it is read: the largest excess, at the end of a token, of stream bytes
// still unread over output bytes still to write, found with the formats' own token walk. The
// routines read a token's control and offset bytes before writing, and each literal byte just
// before writing it.
int in_place_margin(format f, const bytes& packed);

std::string format_name(format f);
