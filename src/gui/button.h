#pragma once
// A push button with a caption, a click event and a caption colour. Drawn by us (the
// system's button ignores a text colour) in the current button style, themed where the
// system has visual styles, or in the flat style of the old 16-bit systems.

#include "gui/control.h"

#include <functional>
#include <string>

namespace voice::gui {

enum class ButtonStyle { Current, Flat };

class Button : public Control {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height, const wchar_t* caption);

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    void SetTextColour(COLORREF colour);
    COLORREF TextColour() const noexcept { return colour_; }
    void SetStyle(ButtonStyle style);
    ButtonStyle Style() const noexcept { return style_; }
    void SetDpi(UINT dpi);

    std::function<void()> OnClick;

    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    // Enter presses the focused button, as in a dialog.
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // Draws glyph and caption centred in the content rectangle.
    virtual void DrawContent(HDC dc, RECT content, bool enabled);
    UINT Dpi() const noexcept { return dpi_; }

private:
    void Draw(const DRAWITEMSTRUCT& item);
    COLORREF colour_ = RGB(0, 0, 0);
    ButtonStyle style_ = ButtonStyle::Current;
    UINT dpi_ = 96;
};

} // namespace voice::gui
