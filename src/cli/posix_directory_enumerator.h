#pragma once
// The search's platform services on POSIX, for voice-export on Linux: the same entries
// and attribute words Wine gives the window for the same directories (directories 0x10,
// files 0x20, dot-names hidden, no write permission read-only, DOS attributes kept in
// the user.DOSATTRIB extended attribute honoured), path components found ignoring case
// as Windows does, and local time by the current bias, as the window converts it. Paths
// are given and taken in the window's form under Wine ("Z:\tmp\rec\QC7"), so the
// names' decoding and the list lines are exactly the window's.

#include "catalogue/directory_enumerator.h"

namespace voice::cli {

class PosixDirectoryEnumerator final : public voice::DirectoryEnumerator {
public:
    bool ChangeDirectory(const std::wstring& path) override;
    bool ExpandPath(std::wstring_view name, std::wstring& fullPath) override;
    void ListDirectory(std::wstring_view pattern,
                       const std::function<void(const DirectoryEntry&)>& each) override;
    std::uint64_t ToLocalFileTime(std::uint64_t utcFileTime) override;
    // Settings written on Linux hold UTF-8; a file brought from Windows code page 1251.
    std::wstring AnsiToWideText(std::string_view ansi) override;

private:
    bool haveBias_ = false;
    std::int64_t bias_ = 0;
};

// path with every component that does not exist as spelt replaced by the entry of its
// directory that equals it ignoring case; the path unchanged when none does.
std::string ResolveIgnoringCase(const std::string& path);

// The current directory as the window sees it under Wine: "Z:" and the Unix path with
// backslashes; empty when it cannot be read.
std::wstring WindowsFormOfCurrentDirectory();

// Code page 1251 bytes as wide text.
std::wstring Cp1251ToWide(std::string_view bytes);

} // namespace voice::cli
