#pragma once
// The per-recording failures every command reports the same way. Portable.

#include <algorithm>
#include <string>
#include <vector>

#include "export/export_job.h"

namespace voice::exporting {

inline constexpr wchar_t kCannotOpen[] = L"не удалось открыть запись";
inline constexpr wchar_t kCannotRead[] = L"ошибка чтения записи";
inline constexpr wchar_t kNoDecoder[] = L"вид записи 7: декодер отсутствует";
inline constexpr wchar_t kCannotCreate[] = L"не удалось создать файл";
inline constexpr wchar_t kCannotWrite[] = L"ошибка записи файла";
inline constexpr wchar_t kTooLarge[] = L"файл превысил бы 4 ГБ";
inline constexpr wchar_t kHashFailed[] = L"не удалось вычислить SHA-256";
inline constexpr wchar_t kOtherWavFormat[] =
    L"WAV не в формате 8 бит, моно, 7860 Гц: в общий файл не включается";

struct RecordingOutcome : ExportOutcome {
    // Counts the failure of the recording of the given line and returns text (the
    // index's status).
    std::wstring Fail(std::size_t line, const std::wstring& source, const std::wstring& text) {
        ++failed;
        recordings.push_back({line, source, {}, text, {}});
        return text;
    }
    // Counts a recording that went out whole into file.
    void Succeed(std::size_t line, const std::wstring& source, const std::filesystem::path& file,
                 const std::wstring& repair) {
        ++done;
        recordings.push_back({line, source, file, {}, repair});
    }
    // Nothing was written after all (a merge cancelled, or its file not written): only
    // the failures stay.
    void NothingWritten() {
        done = 0;
        written.clear();
        std::erase_if(recordings, [](const RecordingResult& r) { return r.failure.empty(); });
    }
    // The recordings in list order, and one "source: text" per failure in that order.
    ExportOutcome ToOutcome() const {
        ExportOutcome outcome = *this;
        std::stable_sort(
            outcome.recordings.begin(), outcome.recordings.end(),
            [](const RecordingResult& a, const RecordingResult& b) { return a.line < b.line; });
        outcome.errors.clear();
        for (const RecordingResult& recording : outcome.recordings)
            if (!recording.failure.empty())
                outcome.errors.push_back(recording.source + L": " + recording.failure);
        return outcome;
    }
};

} // namespace voice::exporting
