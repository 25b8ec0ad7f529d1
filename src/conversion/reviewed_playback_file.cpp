#include "conversion/reviewed_playback_file.h"

#include "conversion/wav/wav_header.h"
#include "platform/file_attributes.h"
#include "platform/unique_handle.h"
#include "review/review_pipeline.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace voice {
namespace {

// Under Wine each write call costs as much as copying several kilobytes: large pieces.
constexpr std::size_t kSamplesPerWrite = 1 << 19;
constexpr std::uint64_t kLargestData = 0xFFFF'FFFFull - 36;

HANDLE CreateOnce(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE file, const void* bytes, std::size_t size) {
    DWORD written = 0;
    return ::WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

} // namespace

namespace {

// Replaces the file with header and the pieces put gives; false leaves it empty.
template <typename Put>
bool ReplacePlaybackFile(const std::wstring& path, std::uint64_t dataBytes,
                         const std::vector<std::uint8_t>& header, Put put) {
    if (IsReadOnlyFile(path))
        return false;
    FileHandle file(CreateOnce(path));
    if (!file)
        file = FileHandle(CreateOnce(path)); // briefly held by someone: one retry
    if (!file)
        return false;
    bool complete = dataBytes <= kLargestData && WriteAll(file.Get(), header.data(), header.size());
    if (complete)
        complete = put(file.Get());
    if (!complete) {
        // A full disk gets its space back; the player is not asked to open a cut file.
        LARGE_INTEGER start{};
        ::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file.Get());
    }
    return complete;
}

} // namespace

bool WriteMono16PlaybackFile(const std::wstring& path, int sampleRate,
                             std::span<const float> samples) {
    const std::uint64_t dataBytes = std::uint64_t{samples.size()} * 2;
    const auto header = Mono16WavHeader(sampleRate, static_cast<std::uint32_t>(dataBytes));
    return ReplacePlaybackFile(path, dataBytes, header, [&](HANDLE file) {
        for (std::size_t at = 0; at < samples.size(); at += kSamplesPerWrite) {
            const auto piece =
                review::ToS16(samples.subspan(at, std::min(kSamplesPerWrite, samples.size() - at)));
            if (!WriteAll(file, piece.data(), piece.size() * 2))
                return false;
        }
        return true;
    });
}

bool WritePcm16PlaybackFile(const std::wstring& path, int sampleRate, int channels,
                            std::span<const std::int16_t> frames) {
    const std::uint64_t dataBytes = std::uint64_t{frames.size()} * 2;
    const auto header = Pcm16WavHeader(sampleRate, channels, static_cast<std::uint32_t>(dataBytes));
    return ReplacePlaybackFile(path, dataBytes, header, [&](HANDLE file) {
        // Windows runs little-endian: the frames go as they are.
        for (std::size_t at = 0; at < frames.size(); at += kSamplesPerWrite)
            if (!WriteAll(file, frames.data() + at,
                          std::min(kSamplesPerWrite, frames.size() - at) * 2))
                return false;
        return true;
    });
}
} // namespace voice
