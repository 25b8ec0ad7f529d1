// The XDG data directory: voice-export on Linux keeps its marks where desktop programs do.

#include "timeline/heard_marks.h"

#include <cstdlib>

namespace voice::timeline {

std::filesystem::path HeardMarksPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (data && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share";
    }
    return base / "voice" / "heard-marks.txt";
}

} // namespace voice::timeline
