#include "conversion/wav/wav_layout.h"

#include <algorithm>
#include <array>
#include <vector>

#include "conversion/wav/wav_format.h"
#include "conversion/wav/wav_header.h"

namespace voice {
namespace {

constexpr std::uint32_t kNeverFinalised = 0xFFFFFFFF;

std::size_t ReadAt(RecordingReader& recording, std::uint64_t offset, std::span<std::uint8_t> into) {
    recording.Seek(offset);
    std::size_t filled = 0;
    while (filled < into.size()) {
        const std::size_t n = recording.Read(into.subspan(filled));
        if (n == 0)
            break;
        filled += n;
    }
    return filled;
}

bool IsChunkTag(const std::uint8_t* tag) noexcept {
    return std::all_of(tag, tag + 4, [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

bool ReadFormat(RecordingReader& recording, WavLayout& layout) {
    std::array<std::uint8_t, kWavFormatChunkBytes> chunk{};
    const std::size_t got = ReadAt(recording, kWavFormatChunkOffset, chunk);
    const auto format = ParseWavFormat(std::span(chunk).first(got));
    if (!format)
        return false;
    layout.formatTag = format->formatTag;
    layout.channels = format->channels;
    layout.sampleRate = format->sampleRate;
    layout.bytesPerSecond = format->bytesPerSecond;
    layout.bitsPerSample = format->bitsPerSample;
    return true;
}

// The end of what is kept when the data chunk is whole: its pad byte, then every chunk
// that lies wholly inside both the RIFF and the file. A chunk cut off, or bytes that are
// no chunk, end it.
std::uint64_t KeptEnd(RecordingReader& recording, const WavLayout& layout, std::uint64_t riffEnd) {
    const std::uint64_t dataEnd = layout.dataOffset + layout.data;
    const std::uint64_t limit = std::max(dataEnd, std::min(riffEnd, layout.length));
    std::uint64_t end = std::min(dataEnd + layout.data % 2, limit);
    for (int walked = 0; walked < kMaxChunksWalked && end + 8 <= limit; ++walked) {
        std::uint8_t header[8];
        if (ReadAt(recording, end, header) != sizeof header || !IsChunkTag(header))
            break;
        const std::uint64_t size = LoadLittleEndian32(header + 4);
        if (end + 8 + size > limit)
            break;
        end = std::min(end + 8 + size + size % 2, limit);
    }
    return end;
}

} // namespace

bool WavLayout::IsPlaybackFormat() const noexcept {
    return formatTag == kWavPcm && channels == 1 && sampleRate == kPlaybackSampleRate &&
           bitsPerSample == 8;
}

std::wstring WavLayout::RepairNote() const {
    std::wstring note;
    auto add = [&note](const std::wstring& text) {
        note += (note.empty() ? L"исправлено: " : L", ") + text;
    };
    if (declaredData == kNeverFinalised)
        add(L"размер данных не был записан, взято " + std::to_wstring(data) + L" байт");
    else if (data < declaredData)
        add(L"запись обрезана, данных " + std::to_wstring(data) + L" байт из " +
            std::to_wstring(declaredData));
    if (end < length)
        add(L"отброшено " + std::to_wstring(length - end) + L" байт в конце файла");
    if (formatSizeFixed)
        add(L"размер блока fmt исправлен");
    if (length < dataOffset)
        add(L"заголовок блока data дописан");
    return note;
}

std::optional<WavLayout> ReadWavLayout(RecordingReader& recording) {
    WavLayout layout;
    layout.length = recording.Length();
    std::optional<WavDataChunk> chunk = FindWavData(recording);
    if (!chunk) {
        // Detection takes "data" at 36 whatever the format chunk says, and whether or not
        // the file holds the data chunk's size: it is a canonical header.
        std::array<std::uint8_t, kWavHeaderSize> head{};
        ReadAt(recording, 0, head);
        chunk = WavDataChunk{kWavHeaderSize, LoadLittleEndian32(&head[40])};
        layout.formatSizeFixed = LoadLittleEndian32(&head[16]) != 16;
    }
    if (!ReadFormat(recording, layout))
        return std::nullopt;
    layout.dataOffset = chunk->offset;
    layout.declaredData = chunk->size;
    const std::uint64_t present = layout.length > chunk->offset ? layout.length - chunk->offset : 0;
    layout.data = static_cast<std::uint32_t>(std::min<std::uint64_t>(chunk->size, present));
    std::uint8_t riffSize[4] = {};
    ReadAt(recording, 4, riffSize);
    layout.end = layout.data < layout.declaredData
                     ? layout.dataOffset + layout.data // the samples run to the end
                     : KeptEnd(recording, layout, 8ull + LoadLittleEndian32(riffSize));
    return layout;
}

void PatchSizes(const WavLayout& layout, std::uint64_t position, std::span<std::uint8_t> bytes) {
    auto patch = [&](std::uint64_t at, std::uint32_t value) {
        std::uint8_t field[4];
        StoreLittleEndian32(field, value);
        for (std::uint64_t i = 0; i < 4; ++i)
            if (at + i >= position && at + i < position + bytes.size())
                bytes[static_cast<std::size_t>(at + i - position)] = field[i];
    };
    patch(layout.dataOffset - 4, layout.data);
    if (layout.formatSizeFixed)
        patch(16, 16);
}

void KeptWavWriter::Append(std::span<const std::uint8_t> bytes) {
    const std::uint64_t start = position_;
    position_ += bytes.size();
    if (start >= layout_.end)
        return;
    bytes = bytes.first(
        static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), layout_.end - start)));
    written_ += bytes.size();
    // The size fields lie in the header, before the samples.
    if (start >= layout_.dataOffset) {
        out_.Append(bytes);
        return;
    }
    std::vector<std::uint8_t> patched(bytes.begin(), bytes.end());
    PatchSizes(layout_, start, patched);
    out_.Append(patched);
}

void KeptWavWriter::Complete() {
    if (position_ < layout_.dataOffset) {
        std::vector<std::uint8_t> rest(static_cast<std::size_t>(layout_.dataOffset - position_));
        PatchSizes(layout_, position_, rest);
        out_.Append(rest);
        written_ += rest.size();
        position_ = layout_.dataOffset;
    }
}

} // namespace voice
