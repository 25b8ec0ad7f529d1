#pragma once
// A record of a directory tree, taken before the program runs and compared after: every
// entry's kind, attributes, size, last-write time and the bytes of every file. Proves
// that the program wrote nothing to a tree it only reads, and that nothing went missing.

#include <cstdint>
#include <map>
#include <string>

namespace voice::testing_support {

class TreeSnapshot {
public:
    struct Entry {
        bool directory = false;
        std::uint32_t attributes = 0;
        std::uint64_t size = 0;
        std::uint64_t lastWriteTime = 0;
        std::uint64_t contentHash = 0; // of every byte; for very large files, see Take
        bool operator==(const Entry&) const = default;
    };

    // Records root and everything below it. Files over 64 MB (sparse test files of
    // several gigabytes) are hashed over their first and last megabyte only; their size
    // and time are still compared in full.
    static TreeSnapshot Take(const std::wstring& root);

    std::size_t EntryCount() const noexcept { return entries_.size(); }
    // Empty when later holds the same entries in the same state; otherwise one line per
    // new, missing or changed entry, for the test's failure message.
    std::string DifferencesTo(const TreeSnapshot& later) const;

private:
    std::map<std::wstring, Entry> entries_; // by path relative to the root ("" the root)
};

} // namespace voice::testing_support
