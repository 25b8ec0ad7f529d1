#pragma once
// The listening choices a reviewer makes (speed, shorter pauses, even loudness): how they
// are remembered in the program's own settings, how the window's caption and menu name
// them, and the steps of the slower and faster keys. Portable: no <windows.h>.

#include "platform/user_settings.h"
#include "review/review_pipeline.h"

#include <string>
#include <string_view>

namespace voice {

// Keys in the program's own settings file.
inline constexpr std::string_view kSpeedSetting = "playback.speed";
inline constexpr std::string_view kShortenPausesSetting = "playback.shortenPauses";
inline constexpr std::string_view kEvenLoudnessSetting = "playback.evenLoudness";

// What the settings hold; a speed that is not one of the offered ones (a file edited by
// hand) reads as normal speed.
review::ReviewOptions LoadReviewOptions(const UserSettings& settings);
void StoreReviewOptions(UserSettings& settings, const review::ReviewOptions& options);

// The offered speed nearest to speed (ties to the slower one).
double NearestOfferedSpeed(double speed);
// The next offered speed up (direction > 0) or down; the fastest and the slowest stay.
double StepSpeed(double speed, int direction);

// "1,5×", "0,75×", "2×": the Russian decimal comma, no trailing zeros.
std::wstring SpeedText(double speed);

// The window's caption: base alone at the default, otherwise base, a dash and what is in
// use ("Воспроизведение записей — 1,5×, паузы сокращены").
std::wstring ReviewCaption(std::wstring_view base, const review::ReviewOptions& options);

bool operator==(const review::ReviewOptions& a, const review::ReviewOptions& b);

} // namespace voice
