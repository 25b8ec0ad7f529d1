#pragma once
// Holds modifier keys down in this thread's keyboard state, as GetKeyState sees it, for
// the lifetime of the object: a shortcut's key message can then be handed to the message
// loop's translation as if the user pressed it.

#include <windows.h>

#include <array>
#include <cstddef>
#include <initializer_list>

namespace voice::gui::testing {

class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        ::GetKeyboardState(saved_.data());
        std::array<BYTE, 256> state = saved_;
        for (int key : {VK_CONTROL, VK_SHIFT, VK_MENU})
            state[static_cast<std::size_t>(key)] = 0;
        for (int key : keys)
            state[static_cast<std::size_t>(key)] = 0x80;
        ::SetKeyboardState(state.data());
    }
    ~HeldKeys() { ::SetKeyboardState(saved_.data()); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    std::array<BYTE, 256> saved_{};
};

} // namespace voice::gui::testing
