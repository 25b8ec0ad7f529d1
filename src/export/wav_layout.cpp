#include "export/wav_layout.h"

#include <algorithm>
#include <array>
#include <vector>

#include "conversion/wav_header.h"

namespace voice::exporting {
namespace {

constexpr std::uint16_t kPcmTag = 1;
constexpr std::uint16_t kExtensibleTag = 0xFFFE;
// The fixed tail of every sub-format identifier made from an old format tag.
constexpr std::uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr std::uint64_t kFormatBody = 20; // "fmt " always stands at 12
constexpr std::size_t kExtensibleFormatSize = 40;
constexpr std::uint32_t kNeverFinalised = 0xFFFFFFFF;

std::uint16_t Load16(const std::uint8_t* at) noexcept {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}
std::uint32_t Load32(const std::uint8_t* at) noexcept {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

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

// The format chunk's fields; an extensible format stands for its sub-format.
bool ReadFormat(RecordingReader& recording, WavLayout& layout) {
    std::array<std::uint8_t, 8 + kExtensibleFormatSize> chunk{};
    const std::size_t got = ReadAt(recording, kFormatBody - 8, chunk);
    const std::uint32_t size = Load32(&chunk[4]);
    if (got < 8 + 16)
        return false;
    const std::uint8_t* body = &chunk[8];
    layout.formatTag = Load16(body);
    layout.channels = Load16(body + 2);
    layout.sampleRate = Load32(body + 4);
    layout.bytesPerSecond = Load32(body + 8);
    layout.bitsPerSample = Load16(body + 14);
    if (layout.formatTag == kExtensibleTag) {
        const bool whole = size >= kExtensibleFormatSize && got == chunk.size();
        const bool oldTag =
            whole && std::equal(std::begin(kSubFormatTail), std::end(kSubFormatTail), body + 26);
        layout.formatTag = oldTag ? Load16(body + 24) : kExtensibleTag;
    }
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
        const std::uint64_t size = Load32(header + 4);
        if (end + 8 + size > limit)
            break;
        end = std::min(end + 8 + size + size % 2, limit);
    }
    return end;
}

} // namespace

bool WavLayout::IsPlaybackFormat() const noexcept {
    return formatTag == kPcmTag && channels == 1 && sampleRate == kPlaybackSampleRate &&
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
        chunk = WavDataChunk{kWavHeaderSize, Load32(&head[40])};
        layout.formatSizeFixed = Load32(&head[16]) != 16;
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
                     : KeptEnd(recording, layout, 8ull + Load32(riffSize));
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

} // namespace voice::exporting
