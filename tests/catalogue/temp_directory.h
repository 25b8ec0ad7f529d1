#pragma once
// A fresh directory under the user's temporary directory, removed with its contents
// when the test ends; the process's current directory is restored too. Win32.

#include <string>

namespace voice::testing_support {

class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
    std::wstring previousCurrent_;
};

void MakeDirectory(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
std::wstring CurrentDirectory();

} // namespace voice::testing_support
