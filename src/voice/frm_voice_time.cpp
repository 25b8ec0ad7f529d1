// The time-of-day fields: switching a field on and off, and stepping it with its arrows.

#include "voice/frm_voice.h"

namespace voice {

void TFrmVoice::TimeOnOff(gui::MaskEdit& field, gui::UpDown& arrows, gui::Button& button) {
    // Each is inverted by itself; both start disabled, so they stay equal.
    field.SetEnabled(!field.Enabled());
    arrows.SetEnabled(!arrows.Enabled());
    if (field.Enabled()) {
        field.SetBackground(RGB(255, 255, 255));
        button.SetCaption(L"Откл.время");
    } else {
        field.SetBackground(::GetSysColor(COLOR_BTNFACE));
        button.SetCaption(L"Вкл.время");
    }
}

void TFrmVoice::BtnOnOff0Click() {
    TimeOnOff(MEDTime0, UdIncTime0, BtnOnOff0);
}

void TFrmVoice::BtnOnOff1Click() {
    TimeOnOff(MEDTime1, UdIncTime1, BtnOnOff1);
}

void TFrmVoice::UdIncTime0Click(gui::UpDownButton direction) {
    IncTimeField(direction, MEDTime0, UdIncTime0);
}

void TFrmVoice::UdIncTime1Click(gui::UpDownButton direction) {
    IncTimeField(direction, MEDTime1, UdIncTime1);
}

} // namespace voice
