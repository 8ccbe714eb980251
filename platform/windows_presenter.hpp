// platform (Windows): the presenter's side of the window: the frame over GDI in a borderless
// window filling its monitor (F11 or Alt+Enter: a normal window and back), the mouse mapped back
// to frame coordinates. The window procedure of windows_api.cpp asks it first.
#pragma once

#include <cstdint>

namespace platform::windows {

// Sees a message before the units' window procedure. True when the presenter answered it
// itself (result in `result`); otherwise the message goes on, with the mouse position in lParam
// mapped to frame coordinates and wParam of WM_ACTIVATE saying whether the window is minimised.
bool presenter_message(void* window, unsigned message, std::uintptr_t& wParam,
                       std::intptr_t& lParam, std::intptr_t& result);

}  // namespace platform::windows
