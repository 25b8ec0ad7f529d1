#include "export/archive_guard.h"

#include <string>
#include <system_error>

#include "export/export_file.h"
#include "export/export_job.h"

namespace voice::exporting {
namespace {

// Case folding for the letters file names use here: Latin, Latin-1 and Cyrillic.
wchar_t FoldCase(wchar_t c) noexcept {
    if (c >= L'a' && c <= L'z')
        return static_cast<wchar_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<wchar_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<wchar_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<wchar_t>(c - 0x50);
    return c;
}

bool SameComponent(const std::wstring& a, const std::wstring& b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

std::filesystem::path Canonical(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

// The path's components without the empty one a trailing separator leaves.
std::vector<std::wstring> Components(const std::filesystem::path& path) {
    std::vector<std::wstring> parts;
    for (const auto& part : path) {
        std::wstring text = WideFromPath(part);
        if (!text.empty())
            parts.push_back(std::move(text));
    }
    return parts;
}

} // namespace

bool IsInside(const std::filesystem::path& target, const std::filesystem::path& base) {
    if (base.empty())
        return false;
    const auto targetParts = Components(Canonical(target));
    const auto baseParts = Components(Canonical(base));
    if (baseParts.empty() || baseParts.size() > targetParts.size())
        return false;
    for (std::size_t i = 0; i < baseParts.size(); ++i)
        if (!SameComponent(targetParts[i], baseParts[i]))
            return false;
    return true;
}

void RefuseArchiveTarget(const std::filesystem::path& target,
                         const std::vector<std::filesystem::path>& archiveBases) {
    for (const auto& base : archiveBases) {
        if (IsInside(target, base))
            throw ExportRefused(L"Запись в архив запрещена: «" + WideFromPath(target) +
                                L"» находится в каталоге канала «" + WideFromPath(base) +
                                L"». Выберите другое место.");
    }
}

} // namespace voice::exporting
