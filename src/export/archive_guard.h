#pragma once
// The archive is never written: targets inside a channel's base directory are refused.
// Portable.

#include <filesystem>
#include <vector>

namespace voice::exporting {

// True when target is base or lies below it, comparing canonical paths component by
// component and ignoring case as Windows does.
bool IsInside(const std::filesystem::path& target, const std::filesystem::path& base);

// Throws ExportRefused with the Russian message when target lies inside any base.
void RefuseArchiveTarget(const std::filesystem::path& target,
                         const std::vector<std::filesystem::path>& archiveBases);

} // namespace voice::exporting
