#pragma once
// Which recordings the user has heard to the end: kept per user, outside the archive, in a
// small text file of the program's own (UTF-8):
//
//     Voice heard marks 2
//     <size>\t<YYYY-MM-DDThh:mm:ssZ>\t<path>
//
// one line per recording, keyed by its path, size and write time (the list's end column
// taken back to UTC, so no clock change moves it), so a recording replaced or rewritten
// since counts as not heard. In the path '%', control characters and bytes of a name that
// is no text are written %XX. Version 1 files (local time by the offset in force when
// marked, the path as it was) still read: their marks match by size and path alone (the
// name gives channel and start), and become version 2 marks once a list shows their
// recording; until then they are kept with the stamp "?".
// The window and voice-export read the same format. Portable.

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

namespace voice::timeline {

// The key of a list line; empty for a line that is not a recording's.
std::string HeardKeyOf(std::wstring_view line);

class HeardMarks {
public:
    // A text not in the format keeps what reads and says it was damaged.
    static HeardMarks Parse(std::string_view text, bool& damaged);
    std::string Serialize() const;

    bool Heard(std::wstring_view line) const;
    // True when the marks changed: the line was not marked before, or by an early mark.
    bool Mark(std::wstring_view line);
    // The early marks of these lines' recordings made marks of today's format; true when
    // any was.
    bool Settle(std::span<const std::wstring> lines);
    void Clear() noexcept {
        keys_.clear();
        early_.clear();
    }
    std::size_t Size() const noexcept { return keys_.size() + early_.size(); }

private:
    std::unordered_set<std::string> keys_;
    std::unordered_set<std::string> early_; // size TAB path, write time unknown
};

// What the store's file turned out to be.
enum class HeardMarksFile {
    Missing,    // none yet: nothing heard
    Read,       // read whole
    Damaged,    // not in the format, wholly or in part
    Unreadable, // cannot be opened or read (a folder in its place, no access)
    TooLarge,   // far bigger than any store of ours
};

struct HeardMarksLoad {
    HeardMarksFile file = HeardMarksFile::Missing;
    int error = 0; // the system's error number when Unreadable
};

// The store's file: a missing file reads as empty; a damaged or unreadable one reads as
// what can be read of it, and load says which it was.
HeardMarks LoadHeardMarks(const std::filesystem::path& file, HeardMarksLoad& load);
// As above; needsRewrite says the next save should replace the file (it was neither
// missing nor read whole).
HeardMarks LoadHeardMarks(const std::filesystem::path& file, bool& needsRewrite);
// Writes a temporary file beside the target (a new name, created exclusively) and renames
// it over the target; false when anything failed, the old file then unchanged.
bool SaveHeardMarks(const HeardMarks& marks, const std::filesystem::path& file);

// Where this user's marks live: %LOCALAPPDATA%\Voice on Windows, the XDG data directory
// ($XDG_DATA_HOME or ~/.local/share, then "voice") elsewhere.
std::filesystem::path HeardMarksPath();

} // namespace voice::timeline
