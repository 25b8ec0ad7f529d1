// ExportRecordings: one WAV per list line, named by channel and start, plus the index.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "catalogue/line_columns.h"
#include "conversion/run_decoders.h"
#include "conversion/wav/riff_chunks.h"
#include "conversion/wav/source_recording.h"
#include "conversion/wav/wav_header.h"
#include "conversion/wav/wav_layout.h"
#include "export/archive_guard.h"
#include "export/export_job.h"
#include "export/export_names.h"
#include "export/recording_duration.h"
#include "export/recording_outcome.h"
#include "platform/csv_writer.h"
#include "platform/digest/background_sha256.h"

namespace voice::exporting {
namespace {

namespace fs = std::filesystem;

const std::vector<std::wstring> kIndexHeader = {
    L"channel", L"start",    L"end",           L"duration_s",      L"size_bytes", L"kind",
    L"source",  L"exported", L"sha256_source", L"sha256_exported", L"status"};

// The exported file as the conversion writes it. When the file's final first bytes are
// known before converting, it is hashed as it is written, those bytes standing in for
// the provisional header; otherwise it is read back once complete.
class PartWriter final : public ConvertedWriter {
public:
    PartWriter(FileStream& file, BackgroundSha256& hash, const std::optional<WavHeader>& finalHead)
        : file_(file), hash_(hash), hashing_(finalHead.has_value()) {
        if (hashing_)
            hash_.Update(*finalHead);
    }
    ~PartWriter() { StopHashing(); }
    PartWriter(const PartWriter&) = delete;
    PartWriter& operator=(const PartWriter&) = delete;

    void Append(std::span<const std::uint8_t> bytes) override {
        file_.Write(bytes);
        if (hashing_ && written_ + bytes.size() > kWavHeaderSize) {
            const std::size_t skip =
                written_ < kWavHeaderSize ? static_cast<std::size_t>(kWavHeaderSize - written_) : 0;
            hash_.Update(bytes.subspan(skip));
        }
        written_ += bytes.size();
    }
    void RewriteHeader(std::span<const std::uint8_t> header) override {
        file_.Seek(0);
        file_.Write(header);
        file_.SeekToEnd();
    }
    void StopHashing() noexcept {
        if (std::exchange(hashing_, false))
            hash_.Reset();
    }
    // The complete file's digest: hashed as written, or else read back now; nullopt when
    // hashing failed.
    std::optional<Sha256Digest> Finish() {
        if (!std::exchange(hashing_, false)) {
            std::vector<std::uint8_t> block(kConversionBlockSize);
            file_.Seek(0);
            while (const std::size_t n = file_.Read(block))
                hash_.Update(std::span(block.data(), n));
        }
        return hash_.Finish();
    }

private:
    FileStream& file_;
    BackgroundSha256& hash_;
    std::uint64_t written_ = 0;
    bool hashing_;
};

// The first 44 bytes the exported file will end with, for the forms whose playback
// length follows from the recording's length (kinds 1 to 3); its playback length goes to
// playbackLength. The RIFF size covers the pad byte and the INFO chunk of infoSize bytes.
std::optional<WavHeader> FinalHead(RecordingKind kind, const std::optional<WavLayout>& layout,
                                   const std::array<std::uint8_t, kDetectionSize>& sourceHead,
                                   std::uint64_t sourceLength, std::uint64_t infoSize,
                                   std::uint64_t& playbackLength) {
    std::uint64_t data = 0;
    if (kind == RecordingKind::Wav && layout) {
        playbackLength = layout->end;
    } else if (kind == RecordingKind::HeaderlessPcm || kind == RecordingKind::Inverted) {
        data = kind == RecordingKind::Inverted
                   ? (sourceLength > kSignatureSize ? sourceLength - kSignatureSize : 0)
                   : sourceLength;
        playbackLength = kWavHeaderSize + data;
    } else {
        return std::nullopt;
    }
    const std::uint64_t riffSize = playbackLength + playbackLength % 2 + infoSize - 8;
    if (riffSize > 0xFFFFFFFFull)
        return std::nullopt;
    WavHeader head;
    if (kind == RecordingKind::Wav) {
        std::copy(sourceHead.begin(), sourceHead.end(), head.begin());
        PatchSizes(*layout, 0, head);
        StoreLittleEndian32(&head[4], static_cast<std::uint32_t>(riffSize));
    } else {
        head = MakePlaybackWavHeader(static_cast<std::uint32_t>(riffSize),
                                     static_cast<std::uint32_t>(data));
    }
    return head;
}

std::wstring FormatSeconds(double seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.3f", seconds);
    return text;
}

// The names in the export's folder, read once: under Wine every look-up of a name that
// does not exist scans the whole folder, which made a large export quadratic. Names
// given meanwhile by another program are still never overwritten: the final rename
// refuses an existing name.
class FolderNames {
public:
    explicit FolderNames(const TargetFolder& folder) {
        for (const fs::path& name : folder.Names())
            taken_.insert(FoldName(WideFromPath(name)));
    }
    // The name or its ".part" file is there.
    bool Taken(const std::wstring& name) const {
        return taken_.contains(FoldName(name)) || taken_.contains(FoldName(name + L".part"));
    }
    void Add(const std::wstring& name) { taken_.insert(FoldName(name)); }

private:
    std::set<std::wstring> taken_;
};

// Gives the part file the name chosen for it, or the next free one when another program
// has taken that name meanwhile: never over an existing file, and the file stays open
// and whole between the tries.
bool CommitUnderFreeName(PartFile& part, const std::wstring& stem, const std::wstring& extension,
                         std::wstring& name) {
    const TargetFolder& folder = part.Folder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (part.Commit(PathFromWide(name), false))
            return true;
        if (part.Error() != EEXIST)
            return false;
        name = FirstFreeName(stem, extension, [&](const std::wstring& n) {
            return folder.Holds(PathFromWide(n)) || folder.Holds(PathFromWide(n + L".part"));
        });
    }
    return false;
}

class RecordingExporter {
public:
    RecordingExporter(const TargetFolder& folder, FolderNames& names)
        : folder_(folder), names_(names) {}

    // Writes the recording of list line lineIndex; the returned row is its line of the
    // index.
    std::vector<std::wstring> Export(std::size_t lineIndex, const std::wstring& line,
                                     RecordingOutcome& result);

private:
    // What WriteWav leaves besides the row.
    struct Written {
        std::wstring name;   // the file's name in the folder
        std::wstring repair; // what was mended in a damaged WAV
    };
    std::wstring WriteWav(SourceRecording& source, const LineColumns& columns,
                          std::vector<std::wstring>& row, Written& written);

    const TargetFolder& folder_;
    FolderNames& names_;
    // The source and the exported file are hashed each on a thread of its own, while this
    // one reads, converts and writes.
    BackgroundSha256 sourceHash_;
    BackgroundSha256 exportedHash_;
};

std::vector<std::wstring> RecordingExporter::Export(std::size_t lineIndex, const std::wstring& line,
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
    SourceRecording source{PathFromWide(columns.source), sourceHash_};
    if (!source.IsOpen()) {
        row[10] = result.Fail(lineIndex, columns.source, kCannotOpen);
        return row;
    }
    row[4] = std::to_wstring(source.Length());
    Written written;
    const std::wstring error = WriteWav(source, columns, row, written);
    if (!error.empty()) {
        // A failure that left the source read whole still has its digest (kind 7).
        if (const std::optional<Sha256Digest> digest = source.FinishHash())
            row[8] = HexDigest(*digest);
        row[10] = result.Fail(lineIndex, columns.source, error);
    } else {
        row[10] = written.repair.empty() ? L"ok" : L"ok, " + written.repair;
        result.Succeed(lineIndex, written.name, written.repair);
    }
    return row;
}

// The playback file, a pad byte to keep chunks on even offsets, the INFO chunk, and the
// RIFF size covering all of it. Fills the row's kind, duration, name and hash.
std::wstring RecordingExporter::WriteWav(SourceRecording& source, const LineColumns& columns,
                                         std::vector<std::wstring>& row, Written& written) {
    const std::wstring stem = RecordingFileStem(columns.channel, columns.start);
    std::wstring name =
        FirstFreeName(stem, L".wav", [&](const std::wstring& n) { return names_.Taken(n); });
    const Bytes info = InfoListChunk({L"Канал " + std::to_wstring(columns.channel),
                                      FormatIsoDateTime(columns.start), columns.source});
    // Known before writing, not after 4 GB of it (the pad byte and the INFO chunk follow).
    if (!ExportedWavFits(PathFromWide(columns.source), 1 + info.size()))
        return kTooLarge;
    PartFile part(folder_, PathFromWide(name));
    if (!part.IsOpen())
        return WithReason(kCannotCreate, part);
    FileStream& file = part.File();
    std::array<std::uint8_t, kDetectionSize> head{};
    source.Read(head);
    const RecordingKind kind = DetectKind(source);
    // A WAV goes out as far as it holds samples and whole chunks.
    const std::optional<WavLayout> layout =
        kind == RecordingKind::Wav ? ReadWavLayout(source) : std::nullopt;
    std::uint64_t predictedLength = 0;
    PartWriter writer(file, exportedHash_,
                      FinalHead(kind, layout, head, source.Length(), info.size(), predictedLength));
    std::optional<KeptWavWriter> kept;
    if (layout)
        kept.emplace(writer, *layout);
    const ConversionResult converted =
        ConvertRecording(source, kept ? static_cast<ConvertedWriter&>(*kept) : writer);
    if (kept)
        kept->Complete();
    row[5] = std::to_wstring(static_cast<int>(converted.kind));
    if (converted.kind == RecordingKind::Undecodable)
        return kNoDecoder;
    if (source.Failed() || converted.kind != kind || (kind == RecordingKind::Wav && !layout))
        return kCannotRead;
    const std::uint64_t bytesWritten = kept ? kept->Written() : converted.bytesWritten;
    row[3] = FormatSeconds(layout ? layout->Seconds()
                                  : static_cast<double>(bytesWritten - kWavHeaderSize) /
                                        kPlaybackSampleRate);
    if (layout)
        written.repair = layout->RepairNote();
    // A recording that changed its length meanwhile is hashed from the finished file.
    if (bytesWritten != predictedLength)
        writer.StopHashing();

    std::uint64_t length = bytesWritten;
    if (length % 2 != 0) {
        const std::uint8_t pad = 0;
        writer.Append(std::span(&pad, 1));
        ++length;
    }
    writer.Append(info);
    length += info.size();
    if (length - 8 > 0xFFFFFFFFull)
        return kTooLarge;
    std::uint8_t riffSize[4];
    StoreLittleEndian32(riffSize, static_cast<std::uint32_t>(length - 8));
    file.Seek(4);
    file.Write(riffSize);
    const std::optional<Sha256Digest> digest = writer.Finish();
    if (file.Failed())
        return WithReason(kCannotWrite, part);
    // A digest only of a source read whole: a failed read leaves the column empty.
    const std::optional<Sha256Digest> sourceDigest = source.FinishHash();
    if (!sourceDigest)
        return source.Failed() ? kCannotRead : kHashFailed;
    row[8] = HexDigest(*sourceDigest);
    if (!digest)
        return kHashFailed;

    if (!CommitUnderFreeName(part, stem, L".wav", name))
        return WithReason(kCannotWrite, part);
    names_.Add(name);
    row[7] = written.name = name;
    row[9] = HexDigest(*digest);
    return {};
}

} // namespace

ExportOutcome ExportRecordings(const std::vector<std::wstring>& lines, const fs::path& path,
                               const Archive& archive, const LocalMoment& now,
                               ExportProgress& progress) {
    // Opened once and judged by its handle: every file below goes where this folder is,
    // whatever happens to its path meanwhile.
    const TargetFolder folder = archive.OpenTarget(path, true);
    const std::wstring indexStem = IndexFileStem(now);
    FolderNames names(folder);
    std::wstring indexName =
        FirstFreeName(indexStem, L".csv", [&](const std::wstring& n) { return names.Taken(n); });
    PartFile index(folder, PathFromWide(indexName));
    names.Add(indexName + L".part");
    if (!index.IsOpen())
        throw WriteFailed(L"Не удалось записать в папку «" + WideFromPath(path) + L"»" +
                          (index.FailureReason().empty() ? L"" : L": " + index.FailureReason()) +
                          L".");
    auto writeText = [&](const std::string& text) {
        index.File().Write(
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    writeText(std::string(kUtf8Bom));
    writeText(CsvRow(kIndexHeader));

    RecordingOutcome result;
    RecordingExporter exporter(folder, names);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (progress.CancelRequested()) {
            result.cancelled = true;
            break;
        }
        progress.OnItem(i, lines.size(), ReadLineColumns(lines[i]).source);
        writeText(CsvRow(exporter.Export(i, lines[i], result)));
    }

    // The index of what was done, also after a cancel. Without it the outcome still
    // names every file written and every failure.
    if (CommitUnderFreeName(index, indexStem, L".csv", indexName)) {
        result.indexFile = path / PathFromWide(indexName);
    } else {
        const std::wstring reason = index.FailureReason();
        result.fileFailure = L"Не удалось записать указатель в папку «" + WideFromPath(path) +
                             L"»" + (reason.empty() ? L"" : L": " + reason) + L".";
    }
    return result.Take();
}

} // namespace voice::exporting
