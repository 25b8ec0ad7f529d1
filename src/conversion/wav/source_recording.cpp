#include "conversion/wav/source_recording.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "conversion/run_decoders.h"

namespace voice {

SourceRecording::SourceRecording(const std::filesystem::path& path)
    : file_(path, FileStream::Mode::Read) {
    if (file_.IsOpen())
        length_ = file_.Length();
}

SourceRecording::SourceRecording(const std::filesystem::path& path, BackgroundSha256& hash)
    : SourceRecording(path) {
    hash_ = &hash;
}

SourceRecording::~SourceRecording() {
    if (hash_)
        hash_->Reset();
}

std::size_t SourceRecording::Read(std::span<std::uint8_t> into) {
    const std::size_t n = file_.Read(into);
    const std::uint64_t end = position_ + n;
    if (n < into.size() && end < length_)
        cutShort_ = true; // shortened since it was opened
    if (position_ < head_.size()) {
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(end, head_.size()) - position_);
        std::memcpy(head_.data() + position_, into.data(), count);
    }
    if (hash_ && position_ <= hashed_ && end > hashed_) {
        hash_->Update(into.subspan(static_cast<std::size_t>(hashed_ - position_),
                                   static_cast<std::size_t>(end - hashed_)));
        hashed_ = end;
    }
    position_ = end;
    return n;
}

void SourceRecording::Seek(std::uint64_t offset) {
    file_.Seek(offset);
    position_ = offset;
}

std::optional<Sha256Digest> SourceRecording::FinishHash() {
    if (!hash_)
        return std::nullopt;
    if (hashed_ < length_ && !Failed()) {
        Seek(hashed_);
        std::vector<std::uint8_t> block(kConversionBlockSize);
        while (hashed_ < length_ && Read(block) > 0) {
        }
    }
    BackgroundSha256* hash = std::exchange(hash_, nullptr);
    if (Failed() || hashed_ < length_) {
        hash->Reset();
        return std::nullopt;
    }
    return hash->Finish();
}

} // namespace voice
