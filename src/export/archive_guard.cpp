#include "export/archive_guard.h"

#include <string>
#include <system_error>

#include "export/export_file.h"
#include "export/export_job.h"
#include "export/export_names.h"

namespace voice::exporting {
namespace {

bool SameComponent(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && FoldName(a) == FoldName(b);
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
