#pragma once
// Errors of the media player's device: "No MCI device open", or the system's text for a
// failed open.

#include "platform/app_error.h"

namespace voice {

class EMCIDeviceError : public AppError {
public:
    using AppError::AppError;
};

inline constexpr wchar_t kNoDeviceOpenText[] = L"No MCI device open";

} // namespace voice
