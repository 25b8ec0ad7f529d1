#pragma once
// A recording opened for the export or the incident, read through the conversion's reader
// interface. Every byte of the file is hashed exactly once and in order, whatever detection
// and the decoders read, so the source's hash costs no second pass; the hash runs on a
// thread of its own meanwhile. Portable.

#include <array>
#include <filesystem>
#include <optional>

#include "conversion/recording_converter.h"
#include "platform/digest/background_sha256.h"
#include "platform/safe_file.h"

namespace voice {

class SourceRecording final : public RecordingReader {
public:
    // Not hashed.
    explicit SourceRecording(const std::filesystem::path& path);
    // Hashed into hash, which must be idle (finished or reset) and outlive this.
    SourceRecording(const std::filesystem::path& path, BackgroundSha256& hash);
    // A hash left unfinished is dropped.
    ~SourceRecording();
    SourceRecording(const SourceRecording&) = delete;
    SourceRecording& operator=(const SourceRecording&) = delete;

    bool IsOpen() const noexcept { return file_.IsOpen(); }
    // A read failed, or the file ended before the length it had when opened.
    bool Failed() const noexcept { return file_.Failed() || cutShort_; }

    std::size_t Read(std::span<std::uint8_t> into) override;
    void Seek(std::uint64_t offset) override;
    std::uint64_t Length() override { return length_; }

    // The first 44 bytes (zeros past a shorter file): the WAV header of a kind-1 file.
    const std::array<std::uint8_t, 44>& Head() const noexcept { return head_; }

    // Reads whatever has not been hashed yet and returns the file's digest (hashed only);
    // nullopt unless every byte was read and hashed: no digest of part of a file.
    std::optional<Sha256Digest> FinishHash();

private:
    FileStream file_;
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t hashed_ = 0; // bytes 0..hashed_ are in the hash
    bool cutShort_ = false;
    std::array<std::uint8_t, 44> head_{};
    BackgroundSha256* hash_ = nullptr; // null once finished
};

} // namespace voice
