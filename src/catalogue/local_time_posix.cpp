#include <ctime>

#include "catalogue/local_time.h"

namespace voice {

std::int64_t UtcOffsetNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    return ::localtime_r(&now, &local) ? local.tm_gmtoff : 0;
}

std::int64_t LocalSecondsAt(std::int64_t utc) {
    const auto t = static_cast<std::time_t>(utc);
    std::tm local{};
    return ::localtime_r(&t, &local) ? utc + local.tm_gmtoff : utc;
}

} // namespace voice
