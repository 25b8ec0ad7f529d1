#pragma once
// Base of the windows of our own that hold controls (group box, panel, radio group): a
// child window painted on the button face that hands every notification from a child
// back to the child's wrapper, keeps the font and text colour it was given, and lists its
// children in creation order.

#include "gui/window.h"

#include <string>
#include <vector>

namespace voice::gui {

class Container : public Window {
public:
    void SetFont(HFONT font);
    HFONT Font() const noexcept { return font_; }
    void SetTextColour(COLORREF colour);
    COLORREF TextColour() const noexcept { return textColour_; }
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    bool Enabled() const { return ::IsWindowEnabled(Handle()) != FALSE; }

    // The child windows in creation order (which is their order among the siblings).
    std::vector<HWND> Children() const;

protected:
    void CreateContainer(const wchar_t* className, HWND parent, int id, int x, int y, int width,
                         int height, const wchar_t* caption);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // Paints the frame and caption over the already filled background.
    virtual void Paint(HDC dc, const RECT& client) = 0;
    // Notifications from children that have no wrapper of their own.
    virtual bool OnChildNotification(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    virtual void OnFontChanged() {}

private:
    HFONT font_ = nullptr;
    COLORREF textColour_ = RGB(0, 0, 0);
};

} // namespace voice::gui
