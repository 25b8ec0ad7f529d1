#pragma once
// A control whose text is drawn by the system in a colour of our choosing, on the button
// face (labels, check boxes, static text).

#include "gui/child_window.h"
#include "gui/control.h"

#include <string>

namespace voice::gui {

class ColouredControl : public Control {
public:
    void SetTextColour(COLORREF colour) {
        colour_ = colour;
        ::InvalidateRect(Handle(), nullptr, TRUE);
    }
    COLORREF TextColour() const noexcept { return colour_; }

    std::wstring Text() const {
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Handle())) + 1, L'\0');
        text.resize(static_cast<size_t>(
            ::GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
        return text;
    }

    bool OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        return AnswerControlColour(msg, wp, colour_, result);
    }

private:
    COLORREF colour_ = RGB(0, 0, 0);
};

} // namespace voice::gui
