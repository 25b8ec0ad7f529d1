#pragma once
// An archive in a fresh temporary directory, list lines for its recordings, and a RIFF
// reader to take the exported files apart. Portable.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "catalogue/date_time.h"
#include "conversion/recording_kind.h"
#include "export/export_job.h"

namespace voice::exporting::test {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

void WriteFile(const fs::path& path, const Bytes& bytes);
Bytes ReadFile(const fs::path& path);
std::string ReadText(const fs::path& path);
// Every file name in the folder, sorted.
std::vector<std::wstring> FileNames(const fs::path& folder);

// "QC7A0000.1" style: the recorder's name of a start (years 2000..2037).
std::wstring RecordingName(const DateTimeParts& start, int channel);

// A recording written below base and its list line as the search makes it.
std::wstring AddRecording(const fs::path& base, int channel, const DateTimeParts& start,
                          const Bytes& content);

struct Chunk {
    std::string id;
    std::size_t offset = 0; // of the chunk's id
    Bytes data;             // size as declared, cut at the end of the file
};
struct RiffFile {
    std::uint32_t riffSize = 0;
    std::vector<Chunk> chunks; // top level, in order
    const Chunk* Find(const std::string& id) const;
};
// nullopt unless "RIFF" ... "WAVE" and every chunk lies within the file and starts at
// an even offset.
std::optional<RiffFile> ParseRiff(const Bytes& file);

// The rows of a CSV text (";" between fields, CR LF after each row).
std::vector<std::vector<std::string>> CsvRows(const std::string& text);
// The place of the column named so in a header row (its first cell may hold the BOM).
std::size_t ColumnOf(const std::vector<std::string>& header, const std::string& name);
// The system's SHA-256 of the bytes, as the index writes it.
std::wstring HexSha256(const Bytes& bytes);

// The subchunks of a LIST chunk's data (after its form type), id -> data.
std::vector<Chunk> ListEntries(const Chunk& list);

class RecordingProgress : public ExportProgress {
public:
    void OnItem(std::size_t index, std::size_t total, const std::wstring& source) override {
        items.push_back({index, total, source});
        if (beforeItem)
            beforeItem(index);
    }
    bool CancelRequested() const override { return cancelAfter && items.size() >= *cancelAfter; }
    struct Item {
        std::size_t index, total;
        std::wstring source;
    };
    std::vector<Item> items;
    std::optional<std::size_t> cancelAfter;
    // Run before the command opens the recording of that line (the merge: in its
    // writing pass, after it has planned).
    std::function<void(std::size_t)> beforeItem;
};

#ifndef _WIN32
// The system's limit on a file's size for a scope: it stands in for a full disk, and a
// write past it fails (EFBIG) instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};
#endif

} // namespace voice::exporting::test
