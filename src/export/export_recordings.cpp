// ExportRecordings: one WAV per list line, named by channel and start, plus the index.

#include <cstdio>
#include <system_error>

#include "conversion/run_decoders.h"
#include "conversion/wav_header.h"
#include "export/archive_guard.h"
#include "export/csv_writer.h"
#include "export/export_job.h"
#include "export/export_names.h"
#include "export/line_columns.h"
#include "export/recording_outcome.h"
#include "export/riff_chunks.h"
#include "export/source_recording.h"

namespace voice::exporting {
namespace {

namespace fs = std::filesystem;

const std::vector<std::wstring> kIndexHeader = {
    L"channel", L"start",    L"end",           L"duration_s",      L"size_bytes", L"kind",
    L"source",  L"exported", L"sha256_source", L"sha256_exported", L"status"};

// The playback file goes to the ".part" file as the conversion writes it.
class PartWriter final : public ConvertedWriter {
public:
    explicit PartWriter(ExportFile& file) noexcept : file_(file) {}
    void Append(std::span<const std::uint8_t> bytes) override { file_.Write(bytes); }
    void RewriteHeader(std::span<const std::uint8_t> header) override {
        file_.Seek(0);
        file_.Write(header);
        file_.SeekToEnd();
    }

private:
    ExportFile& file_;
};

std::wstring FormatSeconds(double seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.3f", seconds);
    return text;
}

std::uint32_t Load32(const std::uint8_t* at) noexcept {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// A WAV recording's length from its own header: data bytes over bytes per second.
std::wstring WavDuration(const std::array<std::uint8_t, 44>& head, std::uint64_t fileLength) {
    const std::uint32_t bytesPerSecond = Load32(&head[28]);
    if (bytesPerSecond == 0)
        return {};
    const std::uint64_t present = fileLength > kWavHeaderSize ? fileLength - kWavHeaderSize : 0;
    const std::uint64_t data = std::min<std::uint64_t>(Load32(&head[40]), present);
    return FormatSeconds(static_cast<double>(data) / bytesPerSecond);
}

Sha256Digest HashFile(ExportFile& file) {
    Sha256 hash;
    std::vector<std::uint8_t> block(kConversionBlockSize);
    file.Seek(0);
    while (const std::size_t n = file.Read(block))
        hash.Update(std::span(block.data(), n));
    return hash.Finish();
}

bool NameTaken(const fs::path& folder, const std::wstring& name) {
    return FileExists(folder / PathFromWide(name)) ||
           FileExists(folder / PathFromWide(name + L".part"));
}

// Gives the part file the name chosen for it, or the next free one when another program
// has taken that name meanwhile: never over an existing file.
bool CommitUnderFreeName(PartFile& part, const fs::path& folder, const std::wstring& stem,
                         const std::wstring& extension, std::wstring& name) {
    const std::wstring own = name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (part.Commit(folder / PathFromWide(name), false))
            return true;
        if (!FileExists(folder / PathFromWide(name)))
            return false;
        name = FirstFreeName(stem, extension, [&](const std::wstring& n) {
            return FileExists(folder / PathFromWide(n)) ||
                   (n != own && FileExists(folder / PathFromWide(n + L".part")));
        });
    }
    return false;
}

class RecordingExporter {
public:
    explicit RecordingExporter(const fs::path& folder) : folder_(folder) {}

    // Writes one recording; the returned row is its line of the index.
    std::vector<std::wstring> Export(const std::wstring& line, RecordingOutcome& result);

private:
    std::wstring WriteWav(SourceRecording& source, const LineColumns& columns,
                          std::vector<std::wstring>& row);

    fs::path folder_;
};

std::vector<std::wstring> RecordingExporter::Export(const std::wstring& line,
                                                    RecordingOutcome& result) {
    const LineColumns columns = ReadLineColumns(line);
    std::vector<std::wstring> row = {std::to_wstring(columns.channel),
                                     FormatIsoDateTime(columns.start),
                                     FormatIsoDateTime(columns.end),
                                     L"",
                                     std::to_wstring(columns.size),
                                     L"",
                                     columns.source,
                                     L"",
                                     L"",
                                     L"",
                                     L""};
    SourceRecording source{PathFromWide(columns.source)};
    if (!source.IsOpen()) {
        row[10] = result.Fail(columns.source, kCannotOpen);
        return row;
    }
    row[4] = std::to_wstring(source.Length());
    const std::wstring error = WriteWav(source, columns, row);
    row[8] = HexDigest(source.FinishHash());
    if (!error.empty()) {
        row[10] = result.Fail(columns.source, error);
    } else {
        row[10] = L"ok";
        ++result.done;
    }
    return row;
}

// The playback file, a pad byte to keep chunks on even offsets, the INFO chunk, and the
// RIFF size covering all of it. Fills the row's kind, duration, name and hash.
std::wstring RecordingExporter::WriteWav(SourceRecording& source, const LineColumns& columns,
                                         std::vector<std::wstring>& row) {
    const std::wstring stem = RecordingFileStem(columns.channel, columns.start);
    std::wstring name =
        FirstFreeName(stem, L".wav", [&](const std::wstring& n) { return NameTaken(folder_, n); });
    PartFile part(folder_ / PathFromWide(name + L".part"));
    if (!part.IsOpen())
        return kCannotCreate;
    ExportFile& file = part.File();
    PartWriter writer(file);
    const ConversionResult converted = ConvertRecording(source, writer);
    row[5] = std::to_wstring(static_cast<int>(converted.kind));
    if (converted.kind == RecordingKind::Undecodable)
        return kNoDecoder;
    if (source.Failed())
        return kCannotRead;
    row[3] = converted.kind == RecordingKind::Wav
                 ? WavDuration(source.Head(), source.Length())
                 : FormatSeconds(static_cast<double>(converted.bytesWritten - kWavHeaderSize) /
                                 kPlaybackSampleRate);

    std::uint64_t length = converted.bytesWritten;
    if (length % 2 != 0) {
        const std::uint8_t pad = 0;
        file.Write(std::span(&pad, 1));
        ++length;
    }
    const Bytes info = InfoListChunk({L"Канал " + std::to_wstring(columns.channel),
                                      FormatIsoDateTime(columns.start), columns.source});
    file.Write(info);
    length += info.size();
    if (length - 8 > 0xFFFFFFFFull)
        return kTooLarge;
    std::uint8_t riffSize[4];
    StoreLittleEndian32(riffSize, static_cast<std::uint32_t>(length - 8));
    file.Seek(4);
    file.Write(riffSize);
    const Sha256Digest digest = HashFile(file);
    if (file.Failed())
        return kCannotWrite;

    if (!CommitUnderFreeName(part, folder_, stem, L".wav", name))
        return kCannotWrite;
    row[7] = name;
    row[9] = HexDigest(digest);
    return {};
}

} // namespace

ExportOutcome ExportRecordings(const std::vector<std::wstring>& lines, const fs::path& folder,
                               const std::vector<fs::path>& archiveBases, const LocalMoment& now,
                               ExportProgress& progress) {
    RefuseArchiveTarget(folder, archiveBases);
    std::error_code error;
    fs::create_directories(folder, error);
    const std::wstring indexStem = IndexFileStem(now);
    std::wstring indexName = FirstFreeName(
        indexStem, L".csv", [&](const std::wstring& n) { return NameTaken(folder, n); });
    PartFile index(folder / PathFromWide(indexName + L".part"));
    if (!index.IsOpen())
        throw ExportRefused(L"Не удалось записать в папку «" + WideFromPath(folder) + L"».");
    auto writeText = [&](const std::string& text) {
        index.File().Write(
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    writeText(std::string(kUtf8Bom));
    writeText(CsvRow(kIndexHeader));

    RecordingOutcome result;
    RecordingExporter exporter(folder);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (progress.CancelRequested()) {
            result.cancelled = true;
            break;
        }
        progress.OnItem(i, lines.size(), ReadLineColumns(lines[i]).source);
        writeText(CsvRow(exporter.Export(lines[i], result)));
    }

    // The index of what was done, also after a cancel.
    if (!CommitUnderFreeName(index, folder, indexStem, L".csv", indexName))
        throw ExportRefused(L"Не удалось записать указатель в папку «" + WideFromPath(folder) +
                            L"».");
    ExportOutcome outcome = result.ToOutcome();
    outcome.indexFile = folder / PathFromWide(indexName);
    return outcome;
}

} // namespace voice::exporting
