#include "conversion/playback_paths.h"

namespace voice {
namespace {
constexpr std::size_t kPathColumn = 80; // zero-based index of column 81
}

std::wstring RecordingPathOfListLine(std::wstring_view listLine) {
    if (listLine.size() <= kPathColumn)
        return {};
    std::wstring_view path = listLine.substr(kPathColumn);
    while (!path.empty() && static_cast<unsigned long>(path.front()) <= 32)
        path.remove_prefix(1);
    return std::wstring(path);
}

std::wstring PlaybackFilePath(const std::wstring& startDir) {
    return startDir + L"\\$$$.Wav";
}

} // namespace voice
