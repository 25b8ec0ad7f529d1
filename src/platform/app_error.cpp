#include "platform/app_error.h"

namespace voice {

AppError::AppError(std::wstring text) : text_(std::move(text)) {
    narrow_.reserve(text_.size());
    for (wchar_t c : text_)
        narrow_.push_back(c < 0x80 ? static_cast<char>(c) : '?');
}

std::wstring InOutError::TextFor(unsigned long code) {
    switch (code) {
    case 2: return L"File not found";
    case 3: return L"Invalid filename";
    case 4: return L"Too many open files";
    case 5: return L"File access denied";
    case 100: return L"Read beyond end of file";
    case 101: return L"Disk full";
    case 106: return L"Invalid numeric input";
    default: return L"I/O error " + std::to_wstring(code);
    }
}

InOutError::InOutError(unsigned long code) : AppError(TextFor(code)), code_(code) {}

} // namespace voice
