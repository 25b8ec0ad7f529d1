#include "conversion/reviewed_playback_file.h"

#include "platform/file_attributes.h"
#include "platform/unique_handle.h"
#include "review/review_pipeline.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

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

bool WriteMono16PlaybackFile(const std::wstring& path, int sampleRate,
                             std::span<const float> samples) {
    if (IsReadOnlyFile(path))
        return false;
    FileHandle file(CreateOnce(path));
    if (!file)
        file = FileHandle(CreateOnce(path)); // briefly held by someone: one retry
    if (!file)
        return false;
    const std::uint64_t dataBytes = std::uint64_t{samples.size()} * 2;
    bool complete = dataBytes <= kLargestData;
    if (complete) {
        const auto header = Mono16WavHeader(sampleRate, static_cast<std::uint32_t>(dataBytes));
        complete = WriteAll(file.Get(), header.data(), header.size());
    }
    for (std::size_t at = 0; complete && at < samples.size(); at += kSamplesPerWrite) {
        const auto piece =
            review::ToS16(samples.subspan(at, std::min(kSamplesPerWrite, samples.size() - at)));
        complete = WriteAll(file.Get(), piece.data(), piece.size() * 2);
    }
    if (!complete) {
        // A full disk gets its space back; the player is not asked to open a cut file.
        LARGE_INTEGER start{};
        ::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file.Get());
    }
    return complete;
}

} // namespace voice
