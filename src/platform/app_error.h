#pragma once
// The program's error kinds. Each carries the exact text the user sees in the
// application's standard error box. Portable: no <windows.h>.

#include <string>
#include <stdexcept>

namespace voice {

class AppError : public std::exception {
public:
    explicit AppError(std::wstring text);
    const std::wstring& Text() const noexcept { return text_; }
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    std::wstring text_;
    std::string narrow_; // ASCII rendering for logs and test failure messages
};

// Input/output error worded by the system's error code ("File not found", ...).
class InOutError : public AppError {
public:
    explicit InOutError(unsigned long code);
    unsigned long Code() const noexcept { return code_; }
    static std::wstring TextFor(unsigned long code);

private:
    unsigned long code_;
};

// A name that carries an impossible calendar date.
class DateEncodeError : public AppError {
public:
    DateEncodeError() : AppError(L"Invalid argument to date encode") {}
};

} // namespace voice
