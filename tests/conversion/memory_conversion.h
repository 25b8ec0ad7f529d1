#pragma once
// A recording read from memory and a playback file written to memory, for running the
// conversion without files; and bytes in memory that count how they are read.

#include "conversion/recording_converter.h"
#include "conversion/recording_kind.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace voice::test {

class MemoryReader final : public RecordingReader {
public:
    explicit MemoryReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::size_t Read(std::span<std::uint8_t> into) override {
        const std::size_t n = std::min(into.size(), bytes_.size() - at_);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), n, into.begin());
        at_ += n;
        return n;
    }
    void Seek(std::uint64_t offset) override { at_ = std::min<std::size_t>(offset, bytes_.size()); }
    std::uint64_t Length() override { return bytes_.size(); }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

class MemoryWriter final : public ConvertedWriter {
public:
    void Append(std::span<const std::uint8_t> b) override {
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    void RewriteHeader(std::span<const std::uint8_t> h) override {
        std::copy_n(h.begin(), std::min(h.size(), bytes.size()), bytes.begin());
    }
    std::vector<std::uint8_t> bytes;
};

// Counts the reads asked for; reads past the end return what is there, as a file does.
class CountingBytes final : public RecordingBytes {
public:
    explicit CountingBytes(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
        ++reads;
        largestRead = std::max(largestRead, into.size());
        if (offset >= bytes_.size())
            return 0;
        const std::size_t n = std::min<std::size_t>(into.size(), bytes_.size() - offset);
        std::memcpy(into.data(), bytes_.data() + offset, n);
        return n;
    }
    int reads = 0;
    std::size_t largestRead = 0;

private:
    const std::vector<std::uint8_t>& bytes_;
};

} // namespace voice::test
