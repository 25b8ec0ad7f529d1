#pragma once
// The per-recording failures every command reports the same way. Portable.

#include <string>

#include "export/export_file.h"
#include "export/export_job.h"

namespace voice::exporting {

inline constexpr wchar_t kCannotOpen[] = L"не удалось открыть запись";
inline constexpr wchar_t kCannotRead[] = L"ошибка чтения записи";
inline constexpr wchar_t kNoDecoder[] = L"вид записи 7: декодер отсутствует";
inline constexpr wchar_t kCannotCreate[] = L"не удалось создать файл";
inline constexpr wchar_t kCannotWrite[] = L"ошибка записи файла";
inline constexpr wchar_t kTooLarge[] = L"файл превысил бы 4 ГБ";
inline constexpr wchar_t kOtherWavFormat[] =
    L"WAV не в формате 8 бит, моно, 7860 Гц: в общий файл не включается";

// A failure to write with the system's reason ("ошибка записи файла: нет места на диске").
inline std::wstring WithReason(const wchar_t* text, const PartFile& part) {
    const std::wstring reason = part.FailureReason();
    return reason.empty() ? std::wstring(text) : text + (L": " + reason);
}

struct RecordingOutcome : ExportOutcome {
    // Counts the failure, notes "source: text" and returns text (the index's status).
    std::wstring Fail(const std::wstring& source, const std::wstring& text) {
        ++failed;
        errors.push_back(source + L": " + text);
        return text;
    }
    ExportOutcome ToOutcome() const { return *this; }
};

} // namespace voice::exporting
