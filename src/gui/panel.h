#pragma once
// A rectangle with an outer and an inner bevel, each none, raised or lowered, and an
// optional caption.

#include "gui/container.h"

namespace voice::gui {

enum class Bevel { None, Raised, Lowered };
enum class CaptionAlignment { Left, Centre };

class Panel : public Container {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height, const wchar_t* caption);
    void SetBevels(Bevel outer, Bevel inner);
    void SetCaptionAlignment(CaptionAlignment alignment);

    Bevel OuterBevel() const noexcept { return outer_; }
    Bevel InnerBevel() const noexcept { return inner_; }
    CaptionAlignment Alignment() const noexcept { return alignment_; }

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    Bevel outer_ = Bevel::Raised;
    Bevel inner_ = Bevel::None;
    CaptionAlignment alignment_ = CaptionAlignment::Centre;
};

} // namespace voice::gui
