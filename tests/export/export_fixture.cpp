#include "export_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "catalogue/list_line.h"
#include "catalogue/recording_name.h"
#include "platform/digest/sha256.h"
#include "platform/safe_file.h"

namespace voice::exporting::test {

TempFolder::TempFolder() {
    static unsigned counter = 0;
    std::random_device random;
    path_ = fs::temp_directory_path() /
            (L"voice-export-" + std::to_wstring(random()) + L"-" + std::to_wstring(++counter));
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const fs::path& path) {
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::wstring> FileNames(const fs::path& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(WideFromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring RecordingName(const DateTimeParts& s, int channel) {
    auto two = [](int v) {
        return std::wstring{static_cast<wchar_t>(L'0' + v / 10),
                            static_cast<wchar_t>(L'0' + v % 10)};
    };
    return std::wstring{kNameAlphabet[static_cast<std::size_t>(s.year - 2000)],
                        kNameAlphabet[static_cast<std::size_t>(s.month)],
                        kNameAlphabet[static_cast<std::size_t>(s.day)],
                        kNameAlphabet[static_cast<std::size_t>(s.hour)]} +
           two(s.minute) + two(s.second) + L'.' + std::to_wstring(channel);
}

std::wstring AddRecording(const fs::path& base, int channel, const DateTimeParts& start,
                          const Bytes& content) {
    const fs::path path = base / RecordingName(start, channel);
    WriteFile(path, content);
    DateTimeParts end = start;
    end.minute = (end.minute + 1) % 60;
    return BuildListLine(channel, start, end, content.size(), path.wstring());
}

const Chunk* RiffFile::Find(const std::string& id) const {
    for (const Chunk& chunk : chunks)
        if (chunk.id == id)
            return &chunk;
    return nullptr;
}

namespace {
std::uint32_t Load32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

std::optional<std::vector<Chunk>> Chunks(const Bytes& bytes, std::size_t at, std::size_t end) {
    std::vector<Chunk> chunks;
    while (at + 8 <= end) {
        if (at % 2 != 0)
            return std::nullopt;
        Chunk chunk{std::string(bytes.begin() + at, bytes.begin() + at + 4), at, {}};
        const std::size_t size = Load32(bytes, at + 4);
        if (at + 8 + size > end)
            return std::nullopt;
        chunk.data.assign(bytes.begin() + at + 8, bytes.begin() + at + 8 + size);
        chunks.push_back(std::move(chunk));
        at += 8 + size + size % 2;
    }
    if (at != end)
        return std::nullopt;
    return chunks;
}
} // namespace

std::optional<RiffFile> ParseRiff(const Bytes& file) {
    if (file.size() < 12 || std::string(file.begin(), file.begin() + 4) != "RIFF" ||
        std::string(file.begin() + 8, file.begin() + 12) != "WAVE")
        return std::nullopt;
    RiffFile riff;
    riff.riffSize = Load32(file, 4);
    if (riff.riffSize + 8ull != file.size())
        return std::nullopt;
    auto chunks = Chunks(file, 12, file.size());
    if (!chunks)
        return std::nullopt;
    riff.chunks = std::move(*chunks);
    return riff;
}

std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_EQ(line.back(), '\r');
        line.pop_back();
        std::vector<std::string> fields;
        std::string field;
        std::istringstream cells(line);
        while (std::getline(cells, field, ';'))
            fields.push_back(field);
        if (!line.empty() && line.back() == ';')
            fields.emplace_back();
        rows.push_back(fields);
    }
    return rows;
}

std::size_t ColumnOf(const std::vector<std::string>& header, const std::string& name) {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (header[i] == name || header[i] == "\xEF\xBB\xBF" + name)
            return i;
    ADD_FAILURE() << "no column " << name;
    return header.size();
}

std::wstring HexSha256(const Bytes& bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return HexDigest(hash.Finish());
}

std::vector<Chunk> ListEntries(const Chunk& list) {
    const Bytes padded = list.data;
    auto entries = Chunks(padded, 4, padded.size());
    return entries ? *entries : std::vector<Chunk>{};
}

} // namespace voice::exporting::test
