#include "platform/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

#include "platform/utf8.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
// From the system's headers, which this portable file does not include.
extern "C" __declspec(dllimport) unsigned long __stdcall GetFileType(void* file);
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace voice {
namespace {

#ifdef _WIN32
constexpr unsigned long kDiskFile = 1; // FILE_TYPE_DISK
#endif

// Only a regular file: a pipe would wait for a writer for ever, a device never ends.
std::FILE* OpenForReading(const std::filesystem::path& path) noexcept {
#ifdef _WIN32
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (file &&
        ::GetFileType(reinterpret_cast<void*>(::_get_osfhandle(::_fileno(file)))) != kDiskFile) {
        std::fclose(file);
        errno = EINVAL;
        return nullptr;
    }
    return file;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
#endif
}

std::FILE* Open(const std::filesystem::path& path, FileStream::Mode) noexcept {
    errno = 0;
    return OpenForReading(path);
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

FileStream::FileStream(const std::filesystem::path& path, Mode mode) : file_(Open(path, mode)) {
    if (!file_)
        error_ = errno;
}

void FileStream::Fail() noexcept {
    if (!failed_ && error_ == 0)
        error_ = errno;
    failed_ = true;
}

FileStream FileStream::Borrowing(std::FILE* stream, std::uint64_t limit) noexcept {
    FileStream file;
    file.file_ = stream;
    file.owned_ = false;
    file.limit_ = limit;
    return file;
}

FileStream::~FileStream() {
    if (file_ && owned_)
        std::fclose(file_);
}

FileStream& FileStream::operator=(FileStream&& other) noexcept {
    if (this != &other) {
        if (file_ && owned_)
            std::fclose(file_);
        file_ = std::exchange(other.file_, nullptr);
        owned_ = other.owned_;
        failed_ = other.failed_;
        error_ = other.error_;
        at_ = other.at_;
        extent_ = other.extent_;
        limit_ = other.limit_;
    }
    return *this;
}

std::size_t FileStream::Read(std::span<std::uint8_t> into) noexcept {
    if (!file_ || into.empty())
        return 0;
    errno = 0;
    const std::size_t n = std::fread(into.data(), 1, into.size(), file_);
    at_ += n;
    if (n < into.size() && std::ferror(file_))
        Fail();
    return n;
}

void FileStream::Write(std::span<const std::uint8_t> bytes) noexcept {
    if (!file_ || bytes.empty())
        return;
    errno = 0;
    if (at_ + bytes.size() > limit_) {
        errno = EFBIG;
        Fail();
        return;
    }
    const std::size_t n = std::fwrite(bytes.data(), 1, bytes.size(), file_);
    at_ += n;
    extent_ = std::max(extent_, at_);
    if (n != bytes.size())
        Fail();
}

void FileStream::Seek(std::uint64_t offset) noexcept {
    if (!file_ || SeekFile(file_, offset, SEEK_SET) != 0)
        Fail();
    else
        at_ = offset;
}

void FileStream::SeekToEnd() noexcept {
    if (!file_ || SeekFile(file_, 0, SEEK_END) != 0)
        Fail();
    else
        at_ = TellFile(file_);
}

std::uint64_t FileStream::Length() noexcept {
    if (!file_)
        return 0;
    const std::uint64_t at = TellFile(file_);
    SeekToEnd();
    const std::uint64_t length = TellFile(file_);
    Seek(at);
    return length;
}

bool FileStream::Close() noexcept {
    errno = 0;
    if (file_ && !owned_)
        Flush();
    else if (file_ && std::fclose(file_) != 0)
        Fail();
    file_ = nullptr;
    return !failed_;
}

bool FileStream::Flush() noexcept {
    errno = 0;
    if (!file_ || std::fflush(file_) != 0)
        Fail();
    return !failed_;
}

void FileStream::Resize(std::uint64_t size) noexcept {
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

std::optional<std::uint64_t> FileStream::SizeOnDisk() const noexcept {
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

PartFile::PartFile(const TargetFolder& folder, const std::filesystem::path& name)
    : folder_(folder), file_(folder.StartFile(name, error_)) {
    if (file_)
        stream_ = FileStream::Borrowing(file_->Stream(), kLargestWrittenFile);
    else
        done_ = true; // nothing of ours to remove
}

bool PartFile::Complete() noexcept {
    bool complete = stream_.Flush();
    // Every byte written must be there: a short file is never given its name.
    const std::optional<std::uint64_t> size = stream_.SizeOnDisk();
    if (complete && size && *size != stream_.WrittenExtent()) {
        complete = false;
        error_ = ENOSPC;
    }
    if (!complete && error_ == 0)
        error_ = stream_.Error();
    return complete;
}

bool PartFile::Commit(const std::filesystem::path& name, bool replace) {
    if (done_)
        return false;
    if (!Complete()) {
        Discard();
        return false;
    }
    error_ = 0;
    // Judged up front too; asked again as late as can be.
    if (replace && folder_.HoldsOtherThanFile(name)) {
        error_ = EEXIST;
        return false;
    }
    if (!file_->Commit(name, replace, error_)) {
        if (error_ == 0)
            error_ = EEXIST;
        return false;
    }
    stream_ = FileStream();
    done_ = true;
    return true;
}

std::wstring PartFile::FailureReason() const {
    return SystemErrorText(error_ != 0 ? error_ : stream_.Error());
}

void PartFile::Discard() noexcept {
    if (done_)
        return;
    stream_ = FileStream();
    file_.reset();
    done_ = true;
}

void RefuseExistingTarget(const std::filesystem::path& target) {
    if (FileExists(target))
        throw WriteRefused(L"Файл «" + WideFromPath(target) +
                           L"» уже существует и не будет заменён.");
}

void RefuseExistingTarget(const TargetFolder& folder, const std::filesystem::path& name) {
    if (folder.Holds(name))
        throw WriteRefused(L"Файл «" + WideFromPath(folder.Path() / name) +
                           L"» уже существует и не будет заменён.");
}

namespace {

WriteRefused NotAFile(const std::filesystem::path& target) {
    return WriteRefused(L"«" + WideFromPath(target) +
                        L"» — не обычный файл (устройство, канал или папка): записать на его "
                        L"место нельзя.");
}

} // namespace

void RefuseNonFileTarget(const std::filesystem::path& target) {
    std::error_code error;
    const auto status = std::filesystem::status(target, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw NotAFile(target);
}

void RefuseNonFileTarget(const TargetFolder& folder, const std::filesystem::path& name) {
    if (folder.HoldsOtherThanFile(name))
        throw NotAFile(folder.Path() / name);
}

void WriteWholeFile(const TargetFolder& folder, const std::filesystem::path& name,
                    std::string_view bytes, bool replace) {
    const std::wstring shown = WideFromPath(folder.Path() / name);
    RefuseNonFileTarget(folder, name);
    if (!replace)
        RefuseExistingTarget(folder, name);
    PartFile part(folder, name);
    auto failed = [&](const wchar_t* what) {
        const std::wstring reason = part.FailureReason();
        return WriteFailed(std::wstring(what) + L" «" + shown + L"»" +
                           (reason.empty() ? L"" : L": " + reason) + L".");
    };
    if (!part.IsOpen())
        throw failed(L"Не удалось создать файл");
    part.File().Write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    if (!part.Commit(name, replace)) {
        if (!replace && part.Error() == EEXIST)
            RefuseExistingTarget(folder, name);
        throw failed(L"Не удалось записать файл");
    }
}

void WriteWholeFile(const std::filesystem::path& target, std::string_view bytes, bool replace) {
    int error = 0;
    const auto folder = TargetFolder::Open(target.parent_path(), error);
    if (!folder)
        throw WriteFailed(L"Не удалось записать файл «" + WideFromPath(target) + L"»: " +
                          SystemErrorText(error) + L".");
    WriteWholeFile(*folder, target.filename(), bytes, replace);
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

bool FileExists(const std::filesystem::path& path) noexcept {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

void RemoveQuietly(const std::filesystem::path& path) noexcept {
    std::error_code error;
    std::filesystem::remove(path, error);
}

} // namespace voice
