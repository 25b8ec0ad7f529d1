// ExportIncident: the sources looked at and hashed, placed, mixed a second at a time into
// a part file, then the cues, labels and the index; both files named only when complete.

#include "export/incident_export.h"

#include <algorithm>
#include <cwctype>
#include <deque>
#include <map>

#include "catalogue/local_time.h"
#include "conversion/wav/riff_chunks.h"
#include "conversion/wav/wav_header.h"
#include "export/incident_sources.h"
#include "export/recording_duration.h"
#include "export/recording_outcome.h"
#include "incident/mix.h"
#include "incident/placement.h"
#include "incident/session/incident_plan.h"
#include "platform/block_pipe.h"
#include "platform/csv_writer.h"
#include "platform/digest/background_sha256.h"
#include "platform/safe_file.h"

namespace voice::exporting {
namespace {

namespace fs = std::filesystem;

inline constexpr wchar_t kChanged[] = L"запись изменилась во время работы";

// The columns the first index had keep their places; what came later follows them.
const std::vector<std::wstring> kIndexHeader = {
    L"offset_s",      L"channel",    L"start",      L"end",       L"source",
    L"sha256_source", L"duration_s", L"utc_offset", L"file_time", L"status"};

inline constexpr wchar_t kOutsideSpan[] = L"вне промежутка";
inline constexpr wchar_t kSilent[] = L"без звука";

std::wstring TwoDigits(int v) {
    return (v < 10 ? L"0" : L"") + std::to_wstring(v);
}

// "Канал 3 07.12.2026 14:31:05"
std::wstring CueLabel(int channel, const DateTimeParts& s) {
    return L"Канал " + std::to_wstring(channel) + L" " + TwoDigits(s.day) + L"." +
           TwoDigits(s.month) + L"." + std::to_wstring(s.year) + L" " + TwoDigits(s.hour) + L":" +
           TwoDigits(s.minute) + L":" + TwoDigits(s.second);
}

// "+03:00", "-09:30"
std::wstring OffsetFromUtcText(std::int64_t seconds) {
    const std::int64_t minutes = (seconds < 0 ? -seconds : seconds) / 60;
    return (seconds < 0 ? L"-" : L"+") + TwoDigits(static_cast<int>(minutes / 60)) + L":" +
           TwoDigits(static_cast<int>(minutes % 60));
}

// Where a recording's sound begins and how long it lasts, as the index and its label give
// them: the first sample kept (a span may cut the beginning), shown in local time.
struct HeardSpan {
    std::int64_t instant = 0;      // UTC seconds of the first sample kept
    DateTimeParts local;           // the same on the local clock
    std::int64_t offset = 0;       // from UTC, in force then
    std::int64_t milliseconds = 0; // of sound from there
};

HeardSpan SpanOf(const LineColumns& columns, std::int64_t skipFrames, std::int64_t frames,
                 int rate) {
    HeardSpan span;
    span.instant = columns.startInstant + skipFrames / rate;
    // Uncut, the name's own time stands, even one the clock skipped.
    const std::int64_t local =
        skipFrames / rate == 0 ? SecondsOf(columns.start) : LocalSecondsAt(span.instant);
    span.local = PartsOf(local);
    span.offset = local - span.instant;
    span.milliseconds = (frames * 1000 + rate / 2) / rate;
    return span;
}

// "YYYY-MM-DD HH:MM:SS", with ".mmm" when the moment falls between seconds.
std::wstring LocalTimeText(std::int64_t instant, std::int64_t milliseconds) {
    const std::int64_t at = instant + milliseconds / 1000;
    std::wstring text = FormatIsoDateTime(PartsOf(LocalSecondsAt(at)));
    if (milliseconds % 1000 != 0)
        text += L"." + std::to_wstring(1000 + milliseconds % 1000).substr(1);
    return text;
}

// Seconds with three decimals and a point, whatever the locale.
std::wstring OffsetText(std::int64_t frame, int rate) {
    const std::int64_t ms = (frame * 1000 + rate / 2) / rate;
    const std::wstring fraction = std::to_wstring(1000 + ms % 1000).substr(1);
    return std::to_wstring(ms / 1000) + L"." + fraction;
}

// Opens the sources as the mix reaches them, writes its frames and tells progress. The
// frames are written on a thread of their own, so the mix goes on meanwhile.
class IncidentClient final : public incident::MixClient {
public:
    IncidentClient(const std::vector<incident::IncidentSource>& sources, std::size_t total,
                   int rate, FileStream& file, ExportProgress& progress)
        : sources_(sources), total_(total), rate_(rate), progress_(progress),
          writer_(kWriteBlock, 3,
                  [&file](std::span<const std::uint8_t> bytes) { file.Write(bytes); }) {}

    std::unique_ptr<incident::SampleSource> Open(std::size_t item) override {
        progress_.OnItem(sources_[item].index, total_, sources_[item].columns.source);
        // Hashes are reused: under Wine a thread costs about a millisecond to start.
        std::unique_ptr<BackgroundSha256> hash;
        if (hashes_.empty()) {
            hash = std::make_unique<BackgroundSha256>();
        } else {
            hash = std::move(hashes_.back());
            hashes_.pop_back();
        }
        auto& open = open_[item] =
            std::make_unique<MixedSource>(sources_[item], rate_, std::move(hash));
        if (!open->Samples())
            return nullptr;
        return std::make_unique<incident::BorrowedSource>(*open->Samples());
    }
    // A source's digest waits until a few later sources have ended, so the mix does not
    // wait for its hash to catch up.
    void Closed(std::size_t item, bool whole) override {
        if (!whole)
            failed_.emplace(item, kChanged);
        open_[item]->Mixed();
        finishing_.emplace_back(item, std::move(open_[item]));
        open_.erase(item);
        while (finishing_.size() > kUnfinished)
            FinishOldest();
    }
    // Quantised straight into the writer's blocks.
    void Write(std::span<const float> samples) override {
        while (!samples.empty()) {
            const std::span<std::uint8_t> room = writer_.Room();
            const std::size_t n = std::min(samples.size(), room.size() / 2);
            incident::QuantiseLittleEndian(samples.first(n), room.data());
            writer_.Commit(2 * n);
            samples = samples.subspan(n);
        }
    }
    bool Continue() override { return !progress_.CancelRequested(); }

    // Every frame handed to the file.
    void FinishWriting() { writer_.Drain(); }
    // Every digest; then Changed is complete.
    void FinishAll() {
        while (!finishing_.empty())
            FinishOldest();
    }
    // The sources that did not go in whole, and why.
    const std::map<std::size_t, std::wstring>& Failed() const noexcept { return failed_; }
    const std::wstring& Digest(std::size_t item) { return digests_[item]; }

private:
    static constexpr std::size_t kUnfinished = 8;
    static constexpr std::size_t kWriteBlock = 262144; // even: whole samples

    void FinishOldest() {
        auto& [item, source] = finishing_.front();
        digests_[item] = source->Finish();
        if (digests_[item].empty())
            failed_.emplace(item, kCannotRead); // kept when it had already changed
        hashes_.push_back(source->TakeHash());
        finishing_.pop_front();
    }

    const std::vector<incident::IncidentSource>& sources_;
    std::size_t total_;
    int rate_;
    ExportProgress& progress_;
    std::map<std::size_t, std::wstring> failed_;
    std::map<std::size_t, std::unique_ptr<MixedSource>> open_;
    std::map<std::size_t, std::wstring> digests_;
    std::deque<std::pair<std::size_t, std::unique_ptr<MixedSource>>> finishing_;
    std::vector<std::unique_ptr<BackgroundSha256>> hashes_; // idle
    BlockPipe writer_; // last: its thread writes until the client goes
};

} // namespace

std::wstring LeftOutText(const ExportOutcome& outcome) {
    std::wstring text;
    const auto add = [&](std::size_t count, const wchar_t* why) {
        if (count > 0)
            text += (text.empty() ? L"Не вошли в файл: " : L", ") + std::wstring(why) + L" — " +
                    std::to_wstring(count);
    };
    add(outcome.outsideSpan, L"вне промежутка");
    add(outcome.silent, L"без звука");
    return text.empty() ? text : text + L".";
}

fs::path IncidentIndexPath(const fs::path& target) {
    fs::path index = target;
    return index.replace_extension(".csv");
}

void RefuseIndexAsTarget(const fs::path& target) {
    std::wstring extension = WideFromPath(target.extension());
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(std::towlower(c));
    if (extension == L".csv")
        throw WriteRefused(L"Файл «" + WideFromPath(target) +
                           L"» не может быть файлом записи: под этим именем записывается её "
                           L"указатель (.csv). Выберите имя с другим расширением, например .wav.");
}

ExportOutcome ExportIncident(const std::vector<std::wstring>& lines, const fs::path& target,
                             const Archive& archive, const incident::IncidentOptions& options,
                             ExportProgress& progress, bool replace) {
    RefuseIndexAsTarget(target);
    const TargetFolder folder = archive.OpenTarget(target.parent_path(), false);
    const fs::path name = target.filename();
    const fs::path indexName = IncidentIndexPath(target).filename();
    for (const fs::path& file : {name, indexName}) {
        RefuseNonFileTarget(folder, file);
        if (!replace)
            RefuseExistingTarget(folder, file);
    }
    RecordingOutcome result;
    IncidentSources read = ReadIncidentSources(lines, progress, result);
    const std::vector<incident::IncidentSource>& sources = read.sources;
    if (read.cancelled) {
        result.cancelled = true;
        return result.Take();
    }
    if (sources.empty())
        return result.Take(); // every line failed, and says why

    const incident::IncidentPlan plan = incident::PlanIncident(sources, options);
    const int rate = plan.rate;
    const incident::IncidentTimeline& timeline = plan.timeline;
    const incident::LaneGains& gains = plan.gains;
    const std::vector<std::size_t>& placed = plan.placed;
    if (placed.empty())
        throw NothingToWrite(options.from ? L"В заданном промежутке нет ни одной записи."
                                          : L"Ни в одной из записей нет звука.");
    std::vector<HeardSpan> heard;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const incident::Placement& p = timeline.placements[i];
        // What is left out is described whole, at its own rate.
        heard.push_back(p.frames > 0 ? SpanOf(sources[i].columns, p.skip, p.frames, rate)
                                     : SpanOf(sources[i].columns, 0,
                                              static_cast<std::int64_t>(sources[i].frames),
                                              std::max(sources[i].rate, 1)));
    }
    std::vector<CuePoint> cues;
    for (const std::size_t i : placed)
        cues.push_back({static_cast<std::uint32_t>(cues.size() + 1),
                        static_cast<std::uint32_t>(timeline.placements[i].at),
                        CueLabel(sources[i].columns.channel, heard[i].local)});

    const bool extensible = options.layout == incident::Layout::Tracks;
    const std::uint64_t headerSize = Pcm16WavHeaderSize(extensible);
    const std::uint64_t dataBytes =
        static_cast<std::uint64_t>(timeline.frames) * static_cast<std::uint64_t>(gains.outputs) * 2;
    const std::uint64_t fileSize =
        headerSize + dataBytes + CueChunkSize(cues.size()) + LabelListChunkSize(cues);
    if (fileSize > kLargestWrittenFile)
        throw WriteRefused(L"Общий файл занял бы " +
                           std::to_wstring((fileSize + (1u << 20) - 1) >> 20) +
                           L" МБ, а файл WAV не может быть больше 4 ГБ. Сократите промежуток "
                           L"или выберите меньше записей.");
    if (replace && (folder.IdentityOfName(name) || folder.IdentityOfName(indexName))) {
        // A file replaced must not be one the incident reads, by whatever name.
        std::vector<FileIdentity> identities;
        for (const incident::IncidentSource& s : sources)
            if (const auto identity = IdentityOf(PathFromWide(s.columns.source)))
                identities.push_back(*identity);
        archive.RefuseReplacing(folder, {name, indexName}, identities);
    }

    PartFile part(folder, name);
    if (!part.IsOpen())
        throw WriteRefused(L"Не удалось создать файл «" + WideFromPath(target) + L"»: " +
                           part.FailureReason() + L".");
    FileStream& file = part.File();
    const auto header = [&] {
        return Pcm16WavHeader(rate, gains.outputs, static_cast<std::uint32_t>(dataBytes),
                              static_cast<std::uint32_t>(fileSize - 8), extensible);
    };
    file.Write(header());
    IncidentClient client(sources, lines.size(), rate, file, progress);
    if (!incident::MixIncident(plan.items, gains, timeline.frames, rate, client)) {
        result.cancelled = true;
        return result.Take(); // the part file goes with it
    }
    client.FinishWriting();
    client.FinishAll();
    if (!client.Failed().empty()) {
        // A recording cannot be taken back out of a mix: the file goes.
        for (const auto& [i, why] : client.Failed())
            result.Fail(sources[i].index, sources[i].columns.source, why);
        result.fileFailure = L"Файл «" + WideFromPath(target) + L"» не записан: " +
                             client.Failed().begin()->second + L".";
        return result.Take();
    }
    file.Write(CueChunk(cues)); // 16-bit frames: the data chunk is always even
    file.Write(LabelListChunk(cues));

    // A row for every line, in the order the recordings began: what went in at its offset,
    // what did not with the reason.
    struct Row {
        std::int64_t instant;
        std::size_t line;
        std::vector<std::wstring> cells;
    };
    std::vector<Row> rows;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const incident::IncidentSource& s = sources[i];
        const incident::Placement& p = timeline.placements[i];
        const HeardSpan& h = heard[i];
        const std::wstring status = p.frames <= 0     ? (s.frames == 0 ? kSilent : kOutsideSpan)
                                    : s.damagedHeader ? L"ok, " + std::wstring(kDamagedWavHeader)
                                                      : L"ok";
        rows.push_back(
            {h.instant,
             s.index,
             {p.frames > 0 ? OffsetText(p.at, rate) : L"", std::to_wstring(s.columns.channel),
              FormatIsoDateTime(h.local), LocalTimeText(h.instant, h.milliseconds),
              s.columns.source, p.frames > 0 ? client.Digest(i) : L"",
              FormatSeconds(static_cast<double>(h.milliseconds) / 1000),
              OffsetFromUtcText(h.offset), FormatIsoDateTime(s.columns.end), status}});
    }
    for (const UnreadSource& u : read.unread)
        rows.push_back({u.columns.startInstant,
                        u.index,
                        {L"", std::to_wstring(u.columns.channel),
                         FormatIsoDateTime(u.columns.start), L"", u.columns.source, L"", L"",
                         OffsetFromUtcText(SecondsOf(u.columns.start) - u.columns.startInstant),
                         FormatIsoDateTime(u.columns.end), u.why}});
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.instant != b.instant ? a.instant < b.instant : a.line < b.line;
    });
    std::string index(kUtf8Bom);
    index += CsvRow(kIndexHeader);
    for (const Row& row : rows)
        index += CsvRow(row.cells);
    PartFile indexPart(folder, indexName);
    if (indexPart.IsOpen())
        indexPart.File().Write(
            std::span(reinterpret_cast<const std::uint8_t*>(index.data()), index.size()));

    auto failed = [&](const PartFile& which, const fs::path& path) {
        const std::wstring reason = which.FailureReason();
        result.fileFailure = L"Не удалось записать файл «" + WideFromPath(path) + L"»" +
                             (reason.empty() ? L"" : L": " + reason) + L".";
        return result.Take();
    };
    if (!indexPart.IsOpen())
        return failed(indexPart, IncidentIndexPath(target));
    if (!part.Commit(name, replace))
        return failed(part, target);
    if (!indexPart.Commit(indexName, replace)) {
        folder.Remove(name); // never the incident without its index
        return failed(indexPart, IncidentIndexPath(target));
    }
    for (const std::size_t i : placed)
        result.Succeed(sources[i].index, WideFromPath(name), {});
    result.indexFile = IncidentIndexPath(target);
    ExportOutcome outcome = result.Take();
    for (std::size_t i = 0; i < sources.size(); ++i)
        if (timeline.placements[i].frames <= 0)
            ++(sources[i].frames == 0 ? outcome.silent : outcome.outsideSpan);
    return outcome;
}

} // namespace voice::exporting
