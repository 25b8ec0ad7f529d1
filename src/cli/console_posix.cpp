#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli/console.h"
#include "export/utf8.h"

namespace voice::cli {
namespace {

using exporting::ToUtf8;

class PosixConsole final : public Console {
public:
    void Out(std::wstring_view line) override { Write(stdout, ToUtf8(line) + '\n'); }
    void OutBytes(std::string_view bytes) override { Write(stdout, std::string(bytes)); }
    void Err(std::wstring_view line) override {
        EndProgress();
        Write(stderr, ToUtf8(line) + '\n');
    }
    bool ErrIsTerminal() const override { return ::isatty(STDERR_FILENO) == 1; }
    void Progress(std::wstring_view text) override {
        winsize size{};
        const std::size_t width = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1
                                      ? size.ws_col - 1
                                      : 79;
        const std::wstring shown(text.substr(0, width));
        // Back to the line's start, the text, and the rest of the old line erased.
        Write(stderr, "\r" + ToUtf8(shown) + "\x1b[K");
        shown_ = true;
    }
    void EndProgress() override {
        if (shown_)
            Write(stderr, "\r\x1b[K");
        shown_ = false;
    }

private:
    static void Write(std::FILE* stream, const std::string& bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
        std::fflush(stream);
    }
    bool shown_ = false;
};

} // namespace

std::unique_ptr<Console> MakeSystemConsole() {
    return std::make_unique<PosixConsole>();
}

} // namespace voice::cli
