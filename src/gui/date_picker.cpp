#include "gui/date_picker.h"

#include "gui/child_window.h"

#include <commctrl.h>

namespace voice::gui {

Date Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

void DatePicker::Create(HWND parent, int id, int x, int y, int width, int height) {
    Attach(CreateChildWindow(DATETIMEPICK_CLASSW, DTS_SHORTDATEFORMAT | WS_TABSTOP, 0, L"", parent,
                             id, x, y, width, height));
}

Date DatePicker::Value() const {
    SYSTEMTIME st{};
    ::SendMessageW(Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    return {st.wYear, st.wMonth, st.wDay};
}

void DatePicker::SetValue(const Date& date) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(date.year);
    st.wMonth = static_cast<WORD>(date.month);
    st.wDay = static_cast<WORD>(date.day);
    ::SendMessageW(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

} // namespace voice::gui
