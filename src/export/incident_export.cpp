// ExportIncident: the sources looked at and hashed, placed, mixed a second at a time into
// a part file, then the cues, labels and the index; both files named only when complete.

#include "export/incident_export.h"

#include <algorithm>
#include <deque>
#include <map>

#include "export/background_sha256.h"
#include "export/block_pipe.h"
#include "export/csv_writer.h"
#include "export/incident_plan.h"
#include "export/incident_sources.h"
#include "export/local_time.h"
#include "export/recording_outcome.h"
#include "export/riff_chunks.h"
#include "incident/incident_header.h"
#include "incident/mix.h"
#include "incident/placement.h"
#include "platform/safe_file.h"

namespace voice::exporting {
namespace {

namespace fs = std::filesystem;

inline constexpr wchar_t kChanged[] = L"запись изменилась во время работы";

const std::vector<std::wstring> kIndexHeader = {L"offset_s", L"channel", L"start",
                                                L"end",      L"source",  L"sha256_source"};

std::wstring TwoDigits(int v) {
    return (v < 10 ? L"0" : L"") + std::to_wstring(v);
}

// "Канал 3 07.12.2026 14:31:05"
std::wstring CueLabel(const LineColumns& columns) {
    const DateTimeParts& s = columns.start;
    return L"Канал " + std::to_wstring(columns.channel) + L" " + TwoDigits(s.day) + L"." +
           TwoDigits(s.month) + L"." + std::to_wstring(s.year) + L" " + TwoDigits(s.hour) + L":" +
           TwoDigits(s.minute) + L":" + TwoDigits(s.second);
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
    IncidentClient(const std::vector<IncidentSource>& sources, std::size_t total, int rate,
                   FileStream& file, ExportProgress& progress)
        : sources_(sources), total_(total), rate_(rate), progress_(progress),
          writer_(kWriteBlock, 3, [&file](std::span<const std::uint8_t> bytes) { file.Write(bytes); }) {}

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

    const std::vector<IncidentSource>& sources_;
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

ExportOutcome ExportIncident(const std::vector<std::wstring>& lines, const fs::path& target,
                             const Archive& archive, const IncidentOptions& options,
                             ExportProgress& progress, bool replace) {
    const TargetFolder folder = archive.OpenTarget(target.parent_path(), false);
    const fs::path name = target.filename();
    const fs::path indexName = IncidentIndexPath(target).filename();
    if (!replace) {
        RefuseExistingTarget(folder, name);
        RefuseExistingTarget(folder, indexName);
    }
    RecordingOutcome result;
    IncidentSources read = ReadIncidentSources(lines, progress, result);
    const std::vector<IncidentSource>& sources = read.sources;
    if (read.cancelled) {
        result.cancelled = true;
        return result.Take();
    }
    if (sources.empty())
        return result.Take();

    const IncidentPlan plan = PlanIncident(sources, options);
    const int rate = plan.rate;
    const incident::IncidentTimeline& timeline = plan.timeline;
    const incident::LaneGains& gains = plan.gains;
    const std::vector<std::size_t>& placed = plan.placed;
    std::vector<CuePoint> cues;
    if (placed.empty())
        throw WriteRefused(L"В заданном промежутке нет ни одной записи.");
    for (const std::size_t i : placed)
        cues.push_back({static_cast<std::uint32_t>(cues.size() + 1),
                        static_cast<std::uint32_t>(timeline.placements[i].at),
                        CueLabel(sources[i].columns)});

    const bool extensible = options.layout == incident::Layout::Tracks;
    const std::uint64_t headerSize = incident::WavHeaderSize(extensible);
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
        for (const IncidentSource& s : sources)
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
        return incident::WavHeader(rate, gains.outputs, extensible,
                                   static_cast<std::uint32_t>(dataBytes),
                                   static_cast<std::uint32_t>(fileSize - 8));
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

    std::string index(kUtf8Bom);
    index += CsvRow(kIndexHeader);
    for (const std::size_t i : placed) {
        const IncidentSource& s = sources[i];
        index += CsvRow({OffsetText(timeline.placements[i].at, rate),
                         std::to_wstring(s.columns.channel), FormatIsoDateTime(s.columns.start),
                         FormatIsoDateTime(s.columns.end), s.columns.source, client.Digest(i)});
    }
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
