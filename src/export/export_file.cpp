#include "export/export_file.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "export/export_job.h"
#include "export/utf8.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace voice::exporting {
namespace {

// A new file only: O_EXCL refuses any name that is there, a dangling link included, so
// nothing that exists is ever truncated or written through.
std::FILE* CreateNew(const std::filesystem::path& path) noexcept {
#ifdef _WIN32
    const int fd = ::_wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_NOINHERIT,
                            _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::_wfdopen(fd, L"w+b");
#else
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "w+b");
#endif
    if (!file) {
        const int error = errno;
        ::close(fd);
        RemoveQuietly(path);
        errno = error;
    }
    return file;
}

std::FILE* Open(const std::filesystem::path& path, ExportFile::Mode mode) noexcept {
    errno = 0;
    if (mode == ExportFile::Mode::Create)
        return CreateNew(path);
#ifdef _WIN32
    return ::_wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
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

ExportFile::ExportFile(const std::filesystem::path& path, Mode mode) : file_(Open(path, mode)) {
    if (!file_)
        error_ = errno;
}

void ExportFile::Fail() noexcept {
    if (!failed_ && error_ == 0)
        error_ = errno;
    failed_ = true;
}

ExportFile::~ExportFile() {
    if (file_)
        std::fclose(file_);
}

std::size_t ExportFile::Read(std::span<std::uint8_t> into) noexcept {
    if (!file_ || into.empty())
        return 0;
    errno = 0;
    const std::size_t n = std::fread(into.data(), 1, into.size(), file_);
    at_ += n;
    if (n < into.size() && std::ferror(file_))
        Fail();
    return n;
}

void ExportFile::Write(std::span<const std::uint8_t> bytes) noexcept {
    if (!file_ || bytes.empty())
        return;
    errno = 0;
    const std::size_t n = std::fwrite(bytes.data(), 1, bytes.size(), file_);
    at_ += n;
    extent_ = std::max(extent_, at_);
    if (n != bytes.size())
        Fail();
}

void ExportFile::Seek(std::uint64_t offset) noexcept {
    if (!file_ || SeekFile(file_, offset, SEEK_SET) != 0)
        Fail();
    else
        at_ = offset;
}

void ExportFile::SeekToEnd() noexcept {
    if (!file_ || SeekFile(file_, 0, SEEK_END) != 0)
        Fail();
    else
        at_ = TellFile(file_);
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
    errno = 0;
    if (file_ && std::fclose(file_) != 0)
        Fail();
    file_ = nullptr;
    return !failed_;
}

bool ExportFile::Flush() noexcept {
    errno = 0;
    if (!file_ || std::fflush(file_) != 0)
        Fail();
    return !failed_;
}

void ExportFile::Resize(std::uint64_t size) noexcept {
    if (!Flush())
        return;
#ifdef _WIN32
    const bool resized = ::_chsize_s(::_fileno(file_), static_cast<long long>(size)) == 0;
#else
    const bool resized = ::ftruncate(::fileno(file_), static_cast<off_t>(size)) == 0;
#endif
    if (!resized)
        Fail();
    else
        extent_ = size;
}

std::optional<std::uint64_t> ExportFile::SizeOnDisk() const noexcept {
    if (!file_)
        return std::nullopt;
#ifdef _WIN32
    const long long size = ::_filelengthi64(::_fileno(file_));
    if (size < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(size);
#else
    struct stat info {};
    if (::fstat(::fileno(file_), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
#endif
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
        return std::filesystem::path(NameBytes(unix));
    }
    return std::filesystem::path(NameBytes(text));
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

namespace {

// "<name>.part" itself first, then "<name>.2.part" on: whatever holds a name stays as it
// is, ours or not. path becomes the name taken.
ExportFile CreateUnheld(std::filesystem::path& path) {
    std::filesystem::path stem = path;
    if (stem.extension() == ".part")
        stem.replace_extension();
    for (int n = 2;; ++n) {
        ExportFile file(path, ExportFile::Mode::Create);
        if (file.IsOpen() || file.Error() != EEXIST || n > 100)
            return file;
        path = stem;
        path += "." + std::to_string(n) + ".part";
    }
}

} // namespace

PartFile::PartFile(std::filesystem::path partPath)
    : path_(std::move(partPath)), file_(CreateUnheld(path_)) {
    if (!file_.IsOpen()) {
        error_ = file_.Error();
        done_ = true; // nothing of ours to remove
    }
}

bool PartFile::Close() noexcept {
    if (done_)
        return false;
    bool complete = file_.Flush();
    // Every byte written must be there: a short file is never given its name.
    const std::optional<std::uint64_t> size = file_.SizeOnDisk();
    if (complete && size && *size != file_.WrittenExtent()) {
        complete = false;
        error_ = ENOSPC;
    }
    if (!file_.Close())
        complete = false;
    if (complete)
        return true;
    if (error_ == 0)
        error_ = file_.Error();
    Discard();
    return false;
}

bool PartFile::Commit(const std::filesystem::path& target, bool replace) {
    if (done_ || !Close())
        return false;
    errno = 0;
    if (!(replace ? RenameReplacing(path_, target) : RenameWithoutReplacing(path_, target))) {
        error_ = errno != 0 ? errno : EEXIST;
        return false;
    }
    done_ = true;
    return true;
}

std::wstring PartFile::FailureReason() const {
    return SystemErrorText(error_ != 0 ? error_ : file_.Error());
}

void RefuseExistingTarget(const std::filesystem::path& target) {
    if (FileExists(target))
        throw ExportRefused(L"Файл «" + WideFromPath(target) +
                            L"» уже существует и не будет заменён.");
}

void WriteWholeFile(const std::filesystem::path& target, std::string_view bytes, bool replace) {
    const std::wstring name = WideFromPath(target);
    if (!replace)
        RefuseExistingTarget(target);
    PartFile part(PartPathOf(target));
    auto refuse = [&](const wchar_t* what) {
        const std::wstring reason = part.FailureReason();
        return ExportRefused(std::wstring(what) + L" «" + name + L"»" +
                             (reason.empty() ? L"" : L": " + reason) + L".");
    };
    if (!part.IsOpen())
        throw refuse(L"Не удалось создать файл");
    part.File().Write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    if (!part.Commit(target, replace)) {
        if (!replace)
            RefuseExistingTarget(target);
        throw refuse(L"Не удалось записать файл");
    }
}

std::wstring SystemErrorText(int error) {
    switch (error) {
    case 0:
        return {};
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return L"нет места на диске";
    case EACCES:
    case EPERM:
        return L"отказано в доступе";
    case EROFS:
        return L"диск только для чтения";
    case EEXIST:
        return L"файл уже существует";
    case ENOENT:
    case ENOTDIR:
        return L"папка не найдена";
    case ENAMETOOLONG:
        return L"слишком длинное имя";
#ifdef ELOOP
    case ELOOP:
        return L"имя - символическая ссылка";
#endif
    case EISDIR:
        return L"это папка";
    case EIO:
        return L"ошибка ввода-вывода";
    default:
        return L"ошибка системы " + std::to_wstring(error);
    }
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
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

void RemoveQuietly(const std::filesystem::path& path) noexcept {
    std::error_code error;
    std::filesystem::remove(path, error);
}

} // namespace voice::exporting
