#pragma once
// Which arrow of an up-down was clicked. Portable, so the code that reacts to the
// arrows can be built and tested without windows.

namespace voice::gui {

enum class UpDownButton { Up, Down };

} // namespace voice::gui
