#include "conversion/recording_file.h"

#include <array>
#include <cstdint>

#include "conversion/wav_header.h"

namespace voice {
namespace {

void SeekTo(HANDLE file, LONGLONG offset, DWORD from) noexcept {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    ::SetFilePointerEx(file, distance, nullptr, from);
}

// Reads up to buffer.size() bytes from the start of the file; unread bytes stay zero.
template <std::size_t N> void ReadFromStart(HANDLE file, std::array<std::uint8_t, N>& buffer) {
    buffer.fill(0);
    SeekTo(file, 0, FILE_BEGIN);
    DWORD read = 0;
    ::ReadFile(file, buffer.data(), static_cast<DWORD>(N), &read, nullptr);
}

} // namespace

RecordingKind DetectRecordingKind(HANDLE recording) noexcept {
    std::array<std::uint8_t, kDetectionSize> head;
    ReadFromStart(recording, head);
    if (HasWavTags(head))
        return RecordingKind::Wav;
    std::array<std::uint8_t, kSignatureSize> signature;
    ReadFromStart(recording, signature);
    return MatchSignature(signature);
}

void WriteWavHeader(HANDLE source, HANDLE destination) noexcept {
    const bool inPlace = source == destination;
    LARGE_INTEGER zero{}, length{};
    ::SetFilePointerEx(source, zero, &length, FILE_END);
    SeekTo(source, 0, FILE_BEGIN);
    const WavHeader header = inPlace
                                 ? WavHeaderInPlace(static_cast<std::uint64_t>(length.QuadPart))
                                 : WavHeaderForSource(static_cast<std::uint64_t>(length.QuadPart));
    SeekTo(destination, 0, FILE_BEGIN);
    DWORD written = 0;
    ::WriteFile(destination, header.data(), static_cast<DWORD>(header.size()), &written, nullptr);
}

} // namespace voice
