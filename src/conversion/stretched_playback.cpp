#include "conversion/stretched_playback.h"

#include <algorithm>

#include "conversion/wav/little_endian.h"

namespace voice {
namespace {

// Written a block at a time: under Wine each write call costs about as much as copying
// several kilobytes.
constexpr std::size_t kBlockBytes = 64 * 1024;

// The conversion's own header, whatever its two sizes say.
bool IsPlaybackHeader(std::span<const std::uint8_t> header) {
    const WavHeader expected = MakePlaybackWavHeader(0, 0);
    const auto same = [&](std::size_t from, std::size_t to) {
        return std::equal(header.begin() + static_cast<std::ptrdiff_t>(from),
                          header.begin() + static_cast<std::ptrdiff_t>(to),
                          expected.begin() + static_cast<std::ptrdiff_t>(from));
    };
    return header.size() >= kWavHeaderSize && same(0, 4) && same(8, 40);
}

} // namespace

StretchedPlayback::StretchedPlayback(ConvertedWriter& file, double speed, std::size_t keptAtMost,
                                     std::size_t expectedBytes)
    : file_(file), stream_(static_cast<int>(kPlaybackSampleRate), speed), keptAtMost_(keptAtMost),
      kept_(keptAtMost > 0) {
    if (kept_)
        designed_.reserve(std::min(expectedBytes, keptAtMost));
    block_.reserve(kBlockBytes);
}

void StretchedPlayback::Append(std::span<const std::uint8_t> bytes) {
    switch (state_) {
    case State::PassingThrough:
        file_.Append(bytes);
        return;
    case State::Stretching:
        converted_ += bytes.size();
        Keep(bytes);
        Stretch(bytes);
        return;
    case State::Deciding:
        break;
    }
    // The header decides: gathered whole first, whether kept or not.
    const std::size_t had = static_cast<std::size_t>(converted_);
    converted_ += bytes.size();
    const std::size_t missing = kWavHeaderSize - std::min(kWavHeaderSize, had);
    const auto head = bytes.first(std::min(missing, bytes.size()));
    std::copy(head.begin(), head.end(), header_.begin() + static_cast<std::ptrdiff_t>(had));
    if (converted_ < kWavHeaderSize)
        return;
    if (!IsPlaybackHeader(header_)) {
        state_ = State::PassingThrough;
        file_.Append(header_);
        file_.Append(bytes.subspan(head.size()));
        designed_ = {};
        kept_ = false;
        return;
    }
    state_ = State::Stretching;
    // The sizes are written once the stretch's length is known.
    file_.Append(MakePlaybackWavHeader(0, 0));
    Keep(header_);
    Keep(bytes.subspan(head.size()));
    Stretch(bytes.subspan(head.size()));
}

void StretchedPlayback::RewriteHeader(std::span<const std::uint8_t> header) {
    if (state_ == State::PassingThrough) {
        file_.RewriteHeader(header);
        return;
    }
    const std::size_t size =
        std::min({header.size(), kWavHeaderSize, static_cast<std::size_t>(converted_)});
    std::copy_n(header.begin(), size, header_.begin());
    if (kept_)
        std::copy_n(header.begin(), std::min(size, designed_.size()), designed_.begin());
}

void StretchedPlayback::Finish() {
    if (finished_)
        return;
    finished_ = true;
    if (state_ == State::Deciding) { // shorter than a header: nothing to stretch
        state_ = State::PassingThrough;
        file_.Append(std::span(header_).first(static_cast<std::size_t>(converted_)));
        kept_ = false;
        return;
    }
    if (state_ != State::Stretching)
        return;
    stream_.Finish(*this);
    WriteBlock();
    const auto data = static_cast<std::uint32_t>(stretched_);
    file_.RewriteHeader(MakePlaybackWavHeader(data + 36, data));
}

bool StretchedPlayback::Stretched() const noexcept {
    return finished_ && state_ == State::Stretching &&
           LoadLittleEndian32(&header_[40]) == converted_ - kWavHeaderSize;
}

std::size_t StretchedPlayback::Samples() const noexcept {
    return converted_ > kWavHeaderSize ? static_cast<std::size_t>(converted_ - kWavHeaderSize) : 0;
}

std::optional<std::vector<std::uint8_t>> StretchedPlayback::TakeDesigned() {
    if (!Stretched() || !kept_)
        return std::nullopt;
    kept_ = false;
    return std::move(designed_);
}

void StretchedPlayback::Take(std::span<const std::uint8_t> samples) {
    while (!samples.empty()) {
        const std::size_t count = std::min(samples.size(), kBlockBytes - block_.size());
        block_.insert(block_.end(), samples.begin(),
                      samples.begin() + static_cast<std::ptrdiff_t>(count));
        samples = samples.subspan(count);
        if (block_.size() == kBlockBytes)
            WriteBlock();
    }
}

void StretchedPlayback::Stretch(std::span<const std::uint8_t> samples) {
    stream_.PushU8(samples, static_cast<review::StretchByteSink&>(*this));
}

void StretchedPlayback::Keep(std::span<const std::uint8_t> bytes) {
    if (!kept_)
        return;
    if (bytes.size() > keptAtMost_ - designed_.size()) {
        kept_ = false; // too long to hold: the caller converts it again for its source
        designed_ = {};
        return;
    }
    designed_.insert(designed_.end(), bytes.begin(), bytes.end());
}

void StretchedPlayback::WriteBlock() {
    if (block_.empty())
        return;
    file_.Append(block_);
    stretched_ += block_.size();
    block_.clear();
}

StretchedConversion ConvertStretched(RecordingReader& recording, ConvertedWriter& file,
                                     double speed, std::size_t keptAtMost) {
    const RecordingKind kind = DetectKind(recording);
    // Headerless and WAV recordings hold the designed file's samples as they stand.
    const bool decoded = kind != RecordingKind::HeaderlessPcm && kind != RecordingKind::Wav;
    const std::uint64_t expected = recording.Length() + kWavHeaderSize;
    StretchedPlayback stretched(
        file, speed, decoded ? keptAtMost : 0,
        static_cast<std::size_t>(std::min<std::uint64_t>(expected, keptAtMost)));
    ConvertRecording(recording, stretched);
    stretched.Finish();
    return {kind, stretched.PassedThrough(), stretched.Stretched(), stretched.Samples(),
            stretched.TakeDesigned()};
}

} // namespace voice
