#pragma once
// Where voice-export writes: lines to stdout and stderr, and a progress line on stderr
// that overwrites itself. Portable interface; console_posix.cpp and console_win32.cpp.

#include <memory>
#include <string>
#include <string_view>

namespace voice::cli {

class Console {
public:
    virtual ~Console() = default;
    virtual void Out(std::wstring_view line) = 0; // a newline is added
    // A document's bytes to standard output as they are (a CSV to "-").
    virtual void OutBytes(std::string_view bytes) = 0;
    // Why standard output did not take all that was written to it, in the user's words
    // ("нет места на диске"); empty while it took everything. After a failure the rest
    // of the output is dropped.
    virtual std::wstring OutFailure() const = 0;
    virtual void Err(std::wstring_view line) = 0;
    // Whether stderr is a terminal a progress line may be drawn on.
    virtual bool ErrIsTerminal() const = 0;
    // Replaces the progress line with text (cut to the terminal's width).
    virtual void Progress(std::wstring_view text) = 0;
    // Clears the progress line, if one is shown.
    virtual void EndProgress() = 0;
};

std::unique_ptr<Console> MakeSystemConsole();

} // namespace voice::cli
