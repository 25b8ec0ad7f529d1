// The system's folder and save dialogs, shown for real: the test types a name into the
// dialog and confirms it, as a user would.

#include "gui/file_dialogs.h"
#include "test_host_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace voice::gui {
namespace {

// Answers the dialog with the given caption from a timer, which runs inside the
// dialog's own message loop: types the answer and presses the dialog's OK button. Gives
// up (Cancel) after a generous time so that a broken dialog cannot hang the run.
class DialogAnswer {
public:
    DialogAnswer(std::wstring caption, std::wstring typed)
        : caption_(std::move(caption)), typed_(std::move(typed)),
          until_(std::chrono::steady_clock::now() + std::chrono::seconds(60)) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 100, &DialogAnswer::Tick);
    }
    ~DialogAnswer() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

    bool answered = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogAnswer* self = current_;
        if (!self || self->answered)
            return;
        HWND dialog = ::FindWindowW(L"#32770", self->caption_.c_str());
        if (std::chrono::steady_clock::now() > self->until_) {
            if (dialog)
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        HWND name = dialog ? ::FindWindowExW(dialog, nullptr, L"Edit", nullptr) : nullptr;
        HWND ok = dialog ? ::GetDlgItem(dialog, IDOK) : nullptr;
        if (!name || !ok || !::IsWindowVisible(dialog))
            return;
        self->answered = true;
        ::SetWindowTextW(name, self->typed_.c_str());
        ::PostMessageW(ok, BM_CLICK, 0, 0);
    }

    static inline DialogAnswer* current_ = nullptr;
    std::wstring caption_;
    std::wstring typed_;
    std::chrono::steady_clock::time_point until_;
    UINT_PTR timer_;
};

std::filesystem::path TempPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, path);
    return std::filesystem::path(path).parent_path();
}

TEST(FileDialogTest, FolderAndSaveDialogsReturnWhatTheUserConfirmed) {
    testing::HostWindow host;
    const std::filesystem::path temp = TempPath();
    struct Case {
        const wchar_t* caption;
        std::wstring typed;
        std::function<std::optional<std::filesystem::path>()> show;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {L"Папка для экспорта", temp.wstring(),
         [&] { return ChooseFolder(host.Handle(), L"Папка для экспорта", temp); }, temp},
        // The extension is added to a name typed without one.
        {L"Сохранить список", (temp / L"список").wstring(),
         [&] {
             return ChooseSaveFile(
                 host.Handle(), {L"Сохранить список", L"Список CSV (*.csv)", L"csv", L"list.csv"});
         },
         temp / L"список.csv"},
    };
    for (const Case& c : cases) {
        DialogAnswer answer(c.caption, c.typed);
        const std::optional<std::filesystem::path> chosen = c.show();
        EXPECT_TRUE(answer.answered) << c.caption;
        ASSERT_TRUE(chosen) << c.caption;
        EXPECT_EQ(_wcsicmp(chosen->c_str(), c.expected.c_str()), 0) << c.caption;
    }
}

} // namespace
} // namespace voice::gui
