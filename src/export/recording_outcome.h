#pragma once
// The per-recording failures every command reports the same way (why a recording cannot
// be read: conversion/read_failures.h). Portable.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "conversion/read_failures.h"
#include "export/export_job.h"
#include "platform/safe_file.h"

namespace voice::exporting {

inline constexpr wchar_t kCannotCreate[] = L"не удалось создать файл";
inline constexpr wchar_t kCannotWrite[] = L"ошибка записи файла";
inline constexpr wchar_t kTooLarge[] = L"файл превысил бы 4 ГБ";
inline constexpr wchar_t kHashFailed[] = L"не удалось вычислить SHA-256";
inline constexpr wchar_t kDamagedWavHeader[] =
    L"заголовок WAV повреждён: прочитана как 8-битная без заголовка";
inline constexpr wchar_t kOtherWavFormat[] =
    L"WAV не в формате 8 бит, моно, 7860 Гц: в общий файл не включается";

// A failure to write with the system's reason ("ошибка записи файла: нет места на диске").
inline std::wstring WithReason(const wchar_t* text, const PartFile& part) {
    const std::wstring reason = part.FailureReason();
    return reason.empty() ? std::wstring(text) : text + (L": " + reason);
}

// An outcome as a command builds it, recordings in any order.
class RecordingOutcome {
public:
    bool cancelled = false;
    std::filesystem::path indexFile;
    std::wstring fileFailure;

    // Counts the failure of the recording of the given line and returns text (the
    // index's status).
    std::wstring Fail(std::size_t line, const std::wstring& source, const std::wstring& text) {
        ++outcome_.failed;
        outcome_.recordings.push_back({line, {}, text, {}});
        errors_.emplace_back(line, source + L": " + text);
        return text;
    }
    // Counts a recording that went out whole into the file of that name.
    void Succeed(std::size_t line, const std::wstring& file, const std::wstring& repair) {
        ++outcome_.done;
        outcome_.recordings.push_back({line, file, {}, repair});
    }
    // Nothing was written after all (a merge cancelled, or its file not written): only
    // the failures stay.
    void NothingWritten() {
        outcome_.done = 0;
        std::erase_if(outcome_.recordings,
                      [](const RecordingResult& r) { return r.failure.empty(); });
    }
    // The outcome, recordings and errors in list order; this is left empty.
    ExportOutcome Take() {
        auto byLine = [](const auto& a, const auto& b) { return Line(a) < Line(b); };
        std::stable_sort(outcome_.recordings.begin(), outcome_.recordings.end(), byLine);
        std::stable_sort(errors_.begin(), errors_.end(), byLine);
        for (auto& [line, text] : errors_)
            outcome_.errors.push_back(std::move(text));
        errors_.clear();
        outcome_.cancelled = cancelled;
        outcome_.indexFile = std::move(indexFile);
        outcome_.fileFailure = std::move(fileFailure);
        return std::exchange(outcome_, {});
    }

private:
    static std::size_t Line(const RecordingResult& r) { return r.line; }
    static std::size_t Line(const std::pair<std::size_t, std::wstring>& e) { return e.first; }

    ExportOutcome outcome_;
    std::vector<std::pair<std::size_t, std::wstring>> errors_;
};

} // namespace voice::exporting
