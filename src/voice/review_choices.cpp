#include "voice/review_choices.h"

#include <cmath>
#include <cstdio>

namespace voice {
namespace {

// Offered speeds are all multiples of 0.25; anything closer than this is the same speed.
constexpr double kSameSpeed = 1e-6;

} // namespace

bool operator==(const review::ReviewOptions& a, const review::ReviewOptions& b) {
    return std::abs(a.speed - b.speed) < kSameSpeed && a.shortenPauses == b.shortenPauses &&
           a.evenLoudness == b.evenLoudness;
}

double NearestOfferedSpeed(double speed) {
    double best = 1.0;
    double bestDistance = INFINITY;
    for (const double offered : review::OfferedSpeeds()) {
        const double distance = std::abs(offered - speed);
        if (distance < bestDistance - kSameSpeed) {
            best = offered;
            bestDistance = distance;
        }
    }
    return best;
}

double StepSpeed(double speed, int direction) {
    const auto speeds = review::OfferedSpeeds();
    const double current = NearestOfferedSpeed(speed);
    for (std::size_t i = 0; i < speeds.size(); ++i) {
        if (std::abs(speeds[i] - current) >= kSameSpeed)
            continue;
        if (direction > 0 && i + 1 < speeds.size())
            return speeds[i + 1];
        if (direction < 0 && i > 0)
            return speeds[i - 1];
        return current;
    }
    return current;
}

review::ReviewOptions LoadReviewOptions(const UserSettings& settings) {
    review::ReviewOptions options;
    const double speed = settings.GetDouble(kSpeedSetting, 1.0, 0.0, 100.0);
    if (std::abs(NearestOfferedSpeed(speed) - speed) < kSameSpeed)
        options.speed = NearestOfferedSpeed(speed);
    options.shortenPauses = settings.GetBool(kShortenPausesSetting, false);
    options.evenLoudness = settings.GetBool(kEvenLoudnessSetting, false);
    return options;
}

void StoreReviewOptions(UserSettings& settings, const review::ReviewOptions& options) {
    settings.SetDouble(kSpeedSetting, options.speed);
    settings.SetBool(kShortenPausesSetting, options.shortenPauses);
    settings.SetBool(kEvenLoudnessSetting, options.evenLoudness);
}

std::wstring SpeedText(double speed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", speed);
    std::string digits = text;
    while (digits.back() == '0')
        digits.pop_back();
    if (digits.back() == '.')
        digits.pop_back();
    std::wstring shown;
    for (const char c : digits)
        shown += c == '.' ? L',' : static_cast<wchar_t>(c);
    return shown + L"×";
}

std::wstring ReviewCaption(std::wstring_view base, const review::ReviewOptions& options) {
    std::wstring caption(base);
    if (options == review::ReviewOptions{})
        return caption;
    std::wstring inUse;
    const auto add = [&inUse](const std::wstring& part) {
        inUse += (inUse.empty() ? L"" : L", ") + part;
    };
    if (std::abs(options.speed - 1.0) >= kSameSpeed)
        add(SpeedText(options.speed));
    if (options.shortenPauses)
        add(L"паузы сокращены");
    if (options.evenLoudness)
        add(L"громкость выровнена");
    return caption + L" — " + inUse;
}

} // namespace voice
