// Program entry: the one window, then the message loop until it is closed.

#include "gui/error_box.h"
#include "gui/form.h"
#include "platform/crash_report.h"
#include "voice/frm_voice.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    voice::InstallCrashReport();
    try {
        voice::TFrmVoice FrmVoice;
        FrmVoice.SetMainForm(true);
        FrmVoice.Show(showCommand);
        return voice::gui::RunMessageLoop(FrmVoice);
    } catch (...) {
        voice::gui::ShowCurrentException(nullptr);
        return 1;
    }
}
