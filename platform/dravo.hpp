// platform: the presenter that copies finished 800 x 600 RGB565 frames to the screen.
#pragma once

#include <cstdint>

#include "win32.hpp"

namespace dravo {

// Opens the presenter on the window for frames of width x height pixels.
win32::BOOL GetDefaultDirectDraw(win32::HWND window, std::int32_t width, std::int32_t height);
// Copies one frame (rows top to bottom, stride width x 2 bytes) to the screen; the copy is
// complete when the call returns.
void DirectDrawBlit(const void* pixels);
// Releases what GetDefaultDirectDraw acquired; harmless when nothing is open.
void CloseDirectDraw();

namespace detail {
// The size in screen pixels at which the frames are shown (0 x 0 when nothing is open).
void shown_size(int& width, int& height);
// Shows a frame drawn at the shown size in place of the frame of the opened size; `changed`: the
// `count` rectangles (right and bottom excluded) outside which it equals the large frame shown
// before it, nullptr when not known.
void blit_large(const void* pixels, int width, int height, const win32::RECT* changed = nullptr,
                int count = 0);
}  // namespace detail

}  // namespace dravo
