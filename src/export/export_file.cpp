#include "export/export_file.h"

#include <cerrno>
#include <system_error>

#include "export/utf8.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace voice::exporting {
namespace {

std::FILE* Open(const std::filesystem::path& path, ExportFile::Mode mode) noexcept {
#ifdef _WIN32
    return ::_wfopen(path.c_str(), mode == ExportFile::Mode::Read ? L"rb" : L"w+b");
#else
    return std::fopen(path.c_str(), mode == ExportFile::Mode::Read ? "rb" : "w+b");
#endif
}

int SeekFile(std::FILE* file, std::uint64_t offset, int origin) noexcept {
#ifdef _WIN32
    return ::_fseeki64(file, static_cast<long long>(offset), origin);
#else
    return ::fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

std::uint64_t TellFile(std::FILE* file) noexcept {
#ifdef _WIN32
    const long long at = ::_ftelli64(file);
#else
    const off_t at = ::ftello(file);
#endif
    return at < 0 ? 0 : static_cast<std::uint64_t>(at);
}

} // namespace

ExportFile::ExportFile(const std::filesystem::path& path, Mode mode) : file_(Open(path, mode)) {}

ExportFile::~ExportFile() {
    if (file_)
        std::fclose(file_);
}

std::size_t ExportFile::Read(std::span<std::uint8_t> into) noexcept {
    if (!file_ || into.empty())
        return 0;
    const std::size_t n = std::fread(into.data(), 1, into.size(), file_);
    if (n < into.size() && std::ferror(file_))
        failed_ = true;
    return n;
}

void ExportFile::Write(std::span<const std::uint8_t> bytes) noexcept {
    if (!file_ || bytes.empty())
        return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        failed_ = true;
}

void ExportFile::Seek(std::uint64_t offset) noexcept {
    if (!file_ || SeekFile(file_, offset, SEEK_SET) != 0)
        failed_ = true;
}

void ExportFile::SeekToEnd() noexcept {
    if (!file_ || SeekFile(file_, 0, SEEK_END) != 0)
        failed_ = true;
}

std::uint64_t ExportFile::Length() noexcept {
    if (!file_)
        return 0;
    const std::uint64_t at = TellFile(file_);
    SeekToEnd();
    const std::uint64_t length = TellFile(file_);
    Seek(at);
    return length;
}

bool ExportFile::Close() noexcept {
    if (file_ && std::fclose(file_) != 0)
        failed_ = true;
    file_ = nullptr;
    return !failed_;
}

std::filesystem::path PathFromWide(std::wstring_view text) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(text));
#else
    // The program's own form of a Unix path, as Wine shows it: drive Z: is the root.
    if (text.size() >= 3 && (text[0] == L'Z' || text[0] == L'z') && text[1] == L':' &&
        (text[2] == L'\\' || text[2] == L'/')) {
        std::wstring unix(text.substr(2));
        for (wchar_t& c : unix)
            if (c == L'\\')
                c = L'/';
        return std::filesystem::path(ToUtf8(unix));
    }
    return std::filesystem::path(ToUtf8(text));
#endif
}

std::wstring WideFromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.native();
#else
    return FromUtf8(path.native());
#endif
}

std::filesystem::path PartPathOf(const std::filesystem::path& path) {
    std::filesystem::path part = path;
    part += ".part";
    return part;
}

bool PartFile::Close() noexcept {
    if (file_.Close())
        return true;
    Discard();
    return false;
}

bool PartFile::Commit(const std::filesystem::path& target, bool replace) {
    if (done_ || !file_.Close())
        return false;
    if (!(replace ? RenameReplacing(path_, target) : RenameWithoutReplacing(path_, target)))
        return false;
    done_ = true;
    return true;
}

void PartFile::Discard() noexcept {
    if (done_)
        return;
    file_.Close();
    RemoveQuietly(path_);
    done_ = true;
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
    // The C runtime's rename never replaces an existing file.
    return ::_wrename(from.c_str(), to.c_str()) == 0;
#else
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a hard link fails on an existing name as well.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
#endif
}

bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

bool FileExists(const std::filesystem::path& path) noexcept {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void RemoveQuietly(const std::filesystem::path& path) noexcept {
    std::error_code error;
    std::filesystem::remove(path, error);
}

} // namespace voice::exporting
