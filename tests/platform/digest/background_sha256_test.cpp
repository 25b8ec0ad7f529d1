#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/digest/background_sha256.h"
#include "platform/digest/sha256.h"
#include "platform/digest/sha256_cpu.h"

namespace voice::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

// The processor's hash against the system's: every length across the padding's edges
// (55, 56, 63, 64 bytes and a block later), fed whole and in uneven pieces.
TEST(CpuSha256Test, EqualsTheSystemsHashAcrossThePaddingEdges) {
    if (!CpuSha256::Available())
        GTEST_SKIP() << "this processor has no SHA instructions";
    CpuSha256 hash;
    for (std::size_t length = 0; length <= 200; ++length) {
        const Bytes bytes = Pattern(length, static_cast<unsigned>(length));
        hash.Update(bytes);
        ASSERT_EQ(hash.Finish(), DirectDigest(bytes)) << length;
        Bytes rest(bytes);
        for (std::size_t piece = 1; !rest.empty(); piece = piece * 3 % 67 + 1) {
            const std::size_t n = std::min(piece, rest.size());
            hash.Update(std::span(rest).first(n));
            rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(n));
        }
        ASSERT_EQ(hash.Finish(), DirectDigest(bytes)) << length << " in pieces";
    }
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

// The system's SHA-256, failing as a hashing library may: on the given update (counted
// from 1 over the object's life) or at the given finish.
class FailingSha256 final : public DigestFunction {
public:
    FailingSha256(int failingUpdate, int failingFinish)
        : failingUpdate_(failingUpdate), failingFinish_(failingFinish) {}
    void Update(std::span<const std::uint8_t> bytes) override {
        if (++updates_ == failingUpdate_)
            throw std::runtime_error("update failed");
        hash_.Update(bytes);
    }
    Sha256Digest Finish() override {
        const Sha256Digest digest = hash_.Finish();
        if (++finishes_ == failingFinish_)
            throw std::runtime_error("finish failed");
        return digest;
    }

private:
    Sha256 hash_;
    int updates_ = 0, finishes_ = 0;
    int failingUpdate_, failingFinish_;
};

// An exception from the library, on the hashing thread or at the finish, loses that
// digest only: no digest is made up, the program goes on, and the next file hashes right.
TEST(BackgroundSha256Test, ALibraryFailureLosesOneDigestAndNothingElse) {
    struct Case {
        const char* name;
        int failingUpdate, failingFinish;
    };
    const Case cases[] = {{"first block", 1, 0}, {"third block", 3, 0}, {"finish", 0, 1}};
    const Bytes data = Pattern(4 * kBlock + 5, 3);
    const Sha256Digest expected = DirectDigest(data);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackgroundSha256 hash(std::make_unique<FailingSha256>(c.failingUpdate, c.failingFinish));
        Feed(hash, data, 100000);
        EXPECT_EQ(hash.Finish(), std::nullopt);
        Feed(hash, data, 100000);
        EXPECT_EQ(hash.Finish(), expected);
        // A failure dropped by a reset is forgotten with it.
        BackgroundSha256 reset(std::make_unique<FailingSha256>(c.failingUpdate, c.failingFinish));
        Feed(reset, data, kBlock);
        reset.Reset();
        Feed(reset, data, kBlock);
        EXPECT_EQ(reset.Finish(), expected);
    }
}

TEST(Sha256Test, KnownVectors) {
    const std::string abc = "abc";
    Sha256 hash;
    hash.Update(std::span(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size()));
    EXPECT_EQ(HexDigest(hash.Finish()),
              L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexDigest(hash.Finish()),
              L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    // A million 'a' in uneven pieces.
    const Bytes piece(999, 'a');
    for (int i = 0; i < 1001; ++i)
        hash.Update(piece);
    hash.Update(std::span(piece).first(1));
    EXPECT_EQ(HexDigest(hash.Finish()),
              L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

} // namespace
} // namespace voice::test
