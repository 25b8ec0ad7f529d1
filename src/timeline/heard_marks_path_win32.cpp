// The per-user records folder the window keeps its crash reports in too.

#include "platform/user_files.h"
#include "timeline/heard_marks.h"

namespace voice::timeline {

std::filesystem::path HeardMarksPath() {
    return UserRecordsFolder() / L"heard-marks.txt";
}

} // namespace voice::timeline
