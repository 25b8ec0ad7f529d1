#include "conversion/playback_paths.h"

namespace voice {
std::wstring PlaybackFilePath(const std::wstring& startDir) {
    return startDir + L"\\$$$.Wav";
}

} // namespace voice
