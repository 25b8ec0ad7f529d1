#pragma once
// Temporary directories and whole-file reads and writes for the conversion's file tests.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace voice::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh directory below the system's temporary directory, removed with its content.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return (path_ / name).wstring(); }

private:
    std::filesystem::path path_;
};

void WriteFileBytes(const std::wstring& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::wstring& path);

// A list line as the catalogue makes it: 80 display columns, then the path.
std::wstring ListLineFor(const std::wstring& path);

} // namespace voice::test
