#include <gtest/gtest.h>

#include <algorithm>

#include "export/background_sha256.h"
#include "export/sha256.h"
#include "export_fixture.h"

namespace voice::exporting::test {
namespace {

constexpr std::size_t kBlock = BackgroundSha256::kBlockSize;

Bytes Pattern(std::size_t length, unsigned seed) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 131 + seed * 7 + (i >> 9)) & 0xFF);
    return bytes;
}

Sha256Digest DirectDigest(const Bytes& bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return hash.Finish();
}

void Feed(BackgroundSha256& hash, const Bytes& bytes, std::size_t piece) {
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        hash.Update(std::span(bytes).subspan(at, std::min(piece, bytes.size() - at)));
}

// Lengths and pieces around the block edges, and more blocks than the hash holds at a
// time: the digest is the system's digest of the same bytes, whatever the hand-over.
TEST(BackgroundSha256Test, DigestEqualsTheDirectHashWhateverThePieces) {
    const std::size_t lengths[] = {0,          1,          kBlock - 1,     kBlock,
                                   kBlock + 1, 2 * kBlock, 7 * kBlock + 13};
    const std::size_t pieces[] = {7, 4096, kBlock - 3, kBlock, 3 * kBlock + 1};
    BackgroundSha256 hash; // one for all: every Finish starts afresh
    unsigned seed = 0;
    for (const std::size_t length : lengths) {
        const Bytes bytes = Pattern(length, ++seed);
        const Sha256Digest expected = DirectDigest(bytes);
        for (const std::size_t piece : pieces) {
            Feed(hash, bytes, piece);
            EXPECT_EQ(hash.Finish(), expected) << "length " << length << ", pieces " << piece;
        }
    }
}

// What was handed over before a reset, queued or half a block, leaves no trace.
TEST(BackgroundSha256Test, ResetDropsEverythingSinceTheLastFinish) {
    const Bytes data = Pattern(3 * kBlock + 100, 1);
    const Sha256Digest expected = DirectDigest(data);
    BackgroundSha256 hash;
    for (const std::size_t dropped : {std::size_t{0}, std::size_t{10}, kBlock, 5 * kBlock + 9}) {
        Feed(hash, Pattern(dropped, 2), 65536);
        hash.Reset();
        Feed(hash, data, 65536);
        EXPECT_EQ(hash.Finish(), expected) << "dropped " << dropped;
    }
    // Destroyed with blocks still queued: the thread ends without hanging.
    BackgroundSha256 abandoned;
    Feed(abandoned, data, kBlock);
}

} // namespace
} // namespace voice::exporting::test
