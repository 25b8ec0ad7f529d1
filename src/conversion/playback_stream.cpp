#include "conversion/playback_stream.h"

#include <algorithm>

#include "conversion/wav/wav_header.h"

namespace voice {
namespace {

// Under Wine every read call costs about as much as copying several kilobytes; but a
// run-coded block can decode to 255 times its size, and what is decoded waits in memory
// until it is read (at most about 8 MB).
constexpr std::size_t kReadBlock = 32768;

} // namespace

PlaybackStream::PlaybackStream(RecordingReader& recording)
    : bytes_(recording), kind_(DetectKind(recording)), length_(recording.Length()) {
    if (kind_ == RecordingKind::Wav) {
        layout_ = PlaybackLayoutOf(bytes_, recording.Length());
        rate_ = layout_ ? layout_->sampleRate : 0;
    } else if (kind_ != RecordingKind::Undecodable) {
        rate_ = static_cast<int>(kPlaybackSampleRate);
        recording.Seek(SignatureOf(kind_) ? kSignatureSize : 0);
        decoder_.emplace(kind_, recording, static_cast<SampleSink&>(*this), kReadBlock);
    }
}

std::optional<std::uint64_t> PlaybackStream::Frames() const noexcept {
    if (layout_)
        return layout_->frames;
    // One sample per byte after the signature, where no runs are coded.
    if (kind_ == RecordingKind::HeaderlessPcm)
        return length_;
    if (kind_ == RecordingKind::Inverted)
        return length_ > kSignatureSize ? length_ - kSignatureSize : 0;
    return std::nullopt;
}

void PlaybackStream::WritePiece(std::span<const std::uint8_t> piece) {
    pending_.insert(pending_.end(), piece.begin(), piece.end());
}

std::uint64_t PlaybackStream::CountRest() {
    if (layout_) {
        const std::uint64_t rest = layout_->frames - frame_;
        frame_ = layout_->frames;
        return rest;
    }
    if (!decoder_)
        return 0;
    std::uint64_t count = pending_.size() - pendingAt_;
    pending_.clear();
    pendingAt_ = 0;
    while (more_) {
        more_ = decoder_->Step();
        count += pending_.size();
        pending_.clear();
    }
    return count;
}

std::size_t PlaybackStream::Read(std::span<float> into) {
    if (layout_) {
        const std::size_t n = ReadPlaybackFrames(bytes_, *layout_, frame_, into, raw_);
        frame_ += n;
        return n;
    }
    if (!decoder_)
        return 0;
    std::size_t done = 0;
    while (done < into.size()) {
        if (pendingAt_ == pending_.size()) {
            pending_.clear();
            pendingAt_ = 0;
            if (!more_)
                break;
            more_ = decoder_->Step();
            continue;
        }
        const std::size_t n = std::min(into.size() - done, pending_.size() - pendingAt_);
        const std::uint8_t* from = pending_.data() + pendingAt_;
        for (std::size_t i = 0; i < n; ++i)
            into[done + i] = static_cast<float>(static_cast<int>(from[i]) - 128) * (1.0f / 128.0f);
        done += n;
        pendingAt_ += n;
    }
    return done;
}

} // namespace voice
