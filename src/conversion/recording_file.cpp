#include "conversion/recording_file.h"

#include <cstdint>

#include "conversion/wav/wav_header.h"

namespace voice {
namespace {

void SeekTo(HANDLE file, LONGLONG offset, DWORD from) noexcept {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    ::SetFilePointerEx(file, distance, nullptr, from);
}

// The recording as detection reads it: each read seeks first, so the file is left just
// after the last bytes read.
class FileBytes final : public RecordingBytes {
public:
    explicit FileBytes(HANDLE file) noexcept : file_(file) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset); // the walk stays far below 2^63
        DWORD read = 0;
        if (!::SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
            !::ReadFile(file_, into.data(), static_cast<DWORD>(into.size()), &read, nullptr))
            return 0;
        return read;
    }

private:
    HANDLE file_;
};

} // namespace

RecordingKind DetectRecordingKind(HANDLE recording) {
    FileBytes bytes(recording);
    return DetectRecordingKind(bytes);
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
