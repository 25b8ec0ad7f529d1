#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <string>

#include "cli/console.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"

namespace voice::cli {
namespace {

using voice::ToUtf8;

// A standard descriptor the program was started without is held by /dev/null opened for
// reading: a file opened later cannot take its number (and receive the list or the
// messages), and writes to it still fail as on a closed one.
class ClosedStandardDescriptors {
public:
    ClosedStandardDescriptors() {
        for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
            if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
                held_[static_cast<std::size_t>(fd)] = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    }
    ~ClosedStandardDescriptors() {
        for (const int fd : held_)
            if (fd >= 0)
                ::close(fd);
    }
    ClosedStandardDescriptors(const ClosedStandardDescriptors&) = delete;
    ClosedStandardDescriptors& operator=(const ClosedStandardDescriptors&) = delete;

private:
    std::array<int, 3> held_{-1, -1, -1};
};

std::wstring OutErrorText(int error) {
    switch (error) {
    case EBADF:
        return L"он закрыт";
    case EPIPE:
        return L"канал закрыт";
    default:
        return voice::SystemErrorText(error);
    }
}

class PosixConsole final : public Console {
public:
    void Out(std::wstring_view line) override { WriteOut(ToUtf8(line) + '\n'); }
    void OutBytes(std::string_view bytes) override { WriteOut(bytes); }
    std::wstring OutFailure() const override {
        return outError_ == 0 ? std::wstring() : OutErrorText(outError_);
    }
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
    void WriteOut(std::string_view bytes) {
        if (outError_ != 0)
            return;
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
            std::fflush(stdout) != 0)
            outError_ = errno != 0 ? errno : EIO;
    }
    // Nothing is left to tell of a failure on stderr.
    static void Write(std::FILE* stream, const std::string& bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
        std::fflush(stream);
    }

    ClosedStandardDescriptors standard_;
    bool shown_ = false;
    int outError_ = 0;
};

} // namespace

std::unique_ptr<Console> MakeSystemConsole() {
    return std::make_unique<PosixConsole>();
}

} // namespace voice::cli
