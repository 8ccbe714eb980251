// platform (Windows): the presenter's side of the window: the frame over GDI in a borderless
// window filling its monitor (F11 or Alt+Enter: a normal window and back), the mouse mapped back
// to frame coordinates. The window procedure of windows_api.cpp asks it first.
#pragma once

#include <cstdint>
#include <vector>

#include "win32.hpp"

namespace platform::windows {

// A rectangle of a frame: columns left..right-1, rows top..bottom-1.
struct frame_part {
  int left, top, right, bottom;
};

// Brings `kept` up to the width x height frame `pixels` and returns the parts where they
// differed: the whole frame when `whole` (or `kept` is of another size), else the boxes of what
// differs inside the `count` rectangles `changed` (clamped to the frame; outside them it is as
// before) where given, else those found by comparing the whole frame.
std::vector<frame_part> take_large_frame(std::vector<std::uint16_t>& kept, const void* pixels,
                                         int width, int height, const win32::RECT* changed,
                                         int count, bool whole);

// Sees a message before the units' window procedure. True when the presenter answered it
// itself (result in `result`); otherwise the message goes on, with the mouse position in lParam
// mapped to frame coordinates and wParam of WM_ACTIVATE saying whether the window is minimised.
bool presenter_message(void* window, unsigned message, std::uintptr_t& wParam,
                       std::intptr_t& lParam, std::intptr_t& result);

}  // namespace platform::windows
