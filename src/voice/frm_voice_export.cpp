// The export commands of the recordings list (reached through its commands,
// frm_voice_list.cpp): the dialogs, the work on a worker thread behind a progress window,
// and the clipboard.
//
// Export, merge and the saved list stop playback first, as "Сформировать список" does:
// the player is disabled while they run and must not go on playing out of reach.

#include "catalogue/local_time.h"
#include "catalogue/win32_directory_enumerator.h"
#include "export/archive_guard.h"
#include "export/export_job.h"
#include "export/incident_export.h"
#include "gui/clipboard.h"
#include "gui/error_box.h"
#include "gui/message_box.h"
#include "voice/frm_voice.h"

#include <algorithm>
#include <cwchar>
#include <memory>

namespace voice {
namespace {

namespace fs = std::filesystem;
using exporting::ExportOutcome;

// Reports the worker's progress to the window's thread.
class ProgressBridge : public exporting::ExportProgress {
public:
    explicit ProgressBridge(gui::WorkProgress& progress) : progress_(progress) {}
    void OnItem(std::size_t index, std::size_t total, const std::wstring& source) override {
        progress_.Report(index, total, source);
    }
    bool CancelRequested() const override { return progress_.CancelRequested(); }
    void OnPreparing(std::size_t index, std::size_t total, const std::wstring& source) override {
        progress_.Report(index, total, source);
    }

private:
    gui::WorkProgress& progress_;
};

std::wstring Stamp(const exporting::LocalMoment& m) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%04d-%02d-%02d_%02d-%02d-%02d", m.year, m.month, m.day, m.hour,
                  m.minute, m.second);
    return text;
}

// The recordings that failed, at most a screenful of them.
std::wstring ErrorLines(const ExportOutcome& outcome) {
    constexpr std::size_t kShown = 10;
    std::wstring text;
    for (std::size_t i = 0; i < outcome.errors.size() && i < kShown; ++i)
        text += L"\n" + outcome.errors[i];
    if (outcome.errors.size() > kShown)
        text += L"\n…";
    return text.empty() ? text : L"\n" + text;
}

UINT OutcomeIcon(const ExportOutcome& outcome) {
    return outcome.failed > 0 || outcome.cancelled ? MB_ICONWARNING : MB_ICONINFORMATION;
}

std::wstring Counts(const wchar_t* doneLabel, const ExportOutcome& outcome) {
    return std::wstring(doneLabel) + L": " + std::to_wstring(outcome.done) + L", ошибок: " +
           std::to_wstring(outcome.failed);
}

} // namespace

void TFrmVoice::SetUpExportCommands() {
    SetUpListCommands();
    ChooseExportFolder = [](HWND owner) {
        return gui::ChooseFolder(owner, L"Папка для экспорта записей");
    };
    ChooseSaveFile = [](HWND owner, const gui::SaveFileRequest& request) {
        return gui::ChooseSaveFile(owner, request);
    };
}

std::vector<std::wstring> TFrmVoice::SelectedLines() const {
    // In list order: the list box gives its selected indices ascending.
    const std::vector<int> indices = LBListFiles.SelectedIndices();
    std::vector<std::wstring> lines;
    lines.reserve(indices.size());
    for (int index : indices)
        lines.push_back(LBListFiles.Line(index));
    return lines;
}

std::vector<std::wstring> TFrmVoice::AllLines() const {
    std::vector<std::wstring> lines;
    const int count = LBListFiles.Count();
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        lines.push_back(LBListFiles.Line(i));
    return lines;
}

exporting::Archive TFrmVoice::ArchiveBases(const std::vector<std::wstring>& lines) const {
    // The channels the lines come from count as searched, whatever their entries hold.
    std::array<bool, 8> searched{};
    for (const std::wstring& line : lines)
        if (!line.empty() && line.front() >= L'1' && line.front() <= L'8')
            searched[static_cast<std::size_t>(line.front() - L'1')] = true;
    Win32DirectoryEnumerator enumerator;
    return exporting::Archive(
        exporting::FindArchiveBases(ChannelDirTable, searched, enumerator, StartDir));
}

void TFrmVoice::RunExportWork(const wchar_t* caption, std::function<void(gui::WorkProgress&)> work,
                              std::function<void()> succeeded) {
    SequenceActive = false;
    MediaPlayer1.Close();
    incident_.End();
    gui::WorkRequest request;
    request.owner = Handle();
    request.caption = caption;
    request.controlsToLock = {LBListFiles.Handle(), BitBtnStart.Handle(), MediaPlayer1.Handle()};
    request.work = std::move(work);
    request.finished = [this, succeeded = std::move(succeeded)](std::exception_ptr error) {
        if (!error) {
            succeeded();
            return;
        }
        try {
            std::rethrow_exception(error);
        } catch (const voice::WriteRefused& refused) {
            gui::ShowMessageBox(Handle(), refused.Text(), L"Предупреждение",
                                MB_OK | MB_ICONWARNING);
        } catch (...) {
            gui::ShowCurrentException(Handle());
        }
    };
    ExportWork.Start(std::move(request));
}

void TFrmVoice::ExportSelectedClick() {
    std::vector<std::wstring> lines = SelectedLines();
    exporting::Archive bases = ArchiveBases(lines);
    const std::optional<fs::path> folder = ChooseExportFolder(Handle());
    if (!folder)
        return;
    auto outcome = std::make_shared<ExportOutcome>();
    RunExportWork(
        L"Экспорт записей",
        [outcome, lines = std::move(lines), folder = *folder, bases = std::move(bases),
         now = LocalNow()](gui::WorkProgress& progress) {
            ProgressBridge bridge(progress);
            *outcome = exporting::ExportRecordings(lines, folder, bases, now, bridge);
        },
        [this, outcome, folder = *folder] {
            std::wstring text = outcome->cancelled ? L"Экспорт отменён.\n" : L"";
            if (!outcome->fileFailure.empty())
                text += outcome->fileFailure + L"\n";
            text += Counts(L"Экспортировано", *outcome) + L"\nПапка: " + folder.wstring() +
                    ErrorLines(*outcome);
            gui::ShowMessageBox(Handle(), text, L"Экспорт записей", MB_OK | OutcomeIcon(*outcome));
        });
}

void TFrmVoice::MergeSelectedClick() {
    std::vector<std::wstring> lines = SelectedLines();
    exporting::Archive bases = ArchiveBases(lines);
    const std::optional<fs::path> target =
        ChooseSaveFile(Handle(), {L"Объединить выбранные в один файл", L"Звук WAV (*.wav)", L"wav",
                                  L"merge_" + Stamp(LocalNow()) + L".wav"});
    if (!target)
        return;
    auto outcome = std::make_shared<ExportOutcome>();
    RunExportWork(
        L"Объединение записей",
        [outcome, lines = std::move(lines), target = *target,
         bases = std::move(bases)](gui::WorkProgress& progress) {
            ProgressBridge bridge(progress);
            // The save dialog has asked before an existing file is replaced.
            *outcome = exporting::MergeRecordings(lines, target, bases, bridge, true);
        },
        [this, outcome, target = *target] {
            const std::wstring file = exporting::WrittenFiles(*outcome, {}).empty()
                                          ? L"\nФайл не записан."
                                          : L"\nФайл: " + target.wstring();
            std::wstring text =
                outcome->cancelled ? std::wstring(L"Объединение отменено, файл не записан.")
                : !outcome->fileFailure.empty() ? outcome->fileFailure
                                                : Counts(L"Объединено", *outcome) + file;
            gui::ShowMessageBox(Handle(), text + ErrorLines(*outcome), L"Объединение записей",
                                MB_OK | OutcomeIcon(*outcome));
        });
}

void TFrmVoice::SaveIncidentClick() {
    std::vector<std::wstring> lines = SelectedLines();
    exporting::Archive bases = ArchiveBases(lines);
    const incident::IncidentOptions options = IncidentChoices();
    const std::optional<fs::path> target =
        ChooseSaveFile(Handle(), {L"Сохранить как было", L"Звук WAV (*.wav)", L"wav",
                                  L"incident_" + Stamp(LocalNow()) + L".wav"});
    if (!target)
        return;
    auto outcome = std::make_shared<ExportOutcome>();
    RunExportWork(
        L"Запись как было",
        [outcome, lines = std::move(lines), target = *target, bases = std::move(bases),
         options](gui::WorkProgress& progress) {
            ProgressBridge bridge(progress);
            // The save dialog has asked before an existing file is replaced.
            *outcome = exporting::ExportIncident(lines, target, bases, options, bridge, true);
        },
        [this, outcome, target = *target] {
            const bool written =
                !outcome->cancelled && outcome->fileFailure.empty() && outcome->done > 0;
            std::wstring text =
                outcome->cancelled ? std::wstring(L"Запись отменена, файл не записан.")
                : !outcome->fileFailure.empty() ? outcome->fileFailure
                : written ? Counts(L"Записано", *outcome) + L"\nФайл: " + target.wstring()
                          : std::wstring(L"Файл не записан.");
            if (written)
                if (const std::wstring leftOut = exporting::LeftOutText(*outcome); !leftOut.empty())
                    text += L"\n" + leftOut;
            gui::ShowMessageBox(Handle(), text + ErrorLines(*outcome), L"Сохранить как было",
                                MB_OK | OutcomeIcon(*outcome));
        });
}

void TFrmVoice::SaveListClick() {
    std::vector<std::wstring> lines = AllLines();
    exporting::Archive bases = ArchiveBases(lines);
    const std::optional<fs::path> target =
        ChooseSaveFile(Handle(), {L"Сохранить список", L"Список CSV (*.csv)", L"csv",
                                  L"list_" + Stamp(LocalNow()) + L".csv"});
    if (!target)
        return;
    // Nothing to report when it worked: the file is where the user put it.
    RunExportWork(
        L"Сохранение списка",
        [lines = std::move(lines), target = *target,
         bases = std::move(bases)](gui::WorkProgress& progress) {
            ProgressBridge bridge(progress);
            exporting::SaveListCsv(lines, target, bases, bridge, true);
        },
        [] {});
}

void TFrmVoice::CopySelectedClick() {
    if (!gui::SetClipboardText(Handle(), exporting::DisplayText(SelectedLines())))
        gui::ShowErrorBox(Handle(), L"Буфер обмена занят другой программой");
}

} // namespace voice
