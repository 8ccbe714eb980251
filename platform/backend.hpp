// platform: the interface each backend (SDL2 or headless) implements for win32.cpp and dravo.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "win32.hpp"

namespace platform::detail {

// Shows a modal box; answers win32::IDOK, IDYES or IDNO.
int backend_message_box(const std::string& caption, const std::string& text, win32::UINT type);
// Milliseconds of the backend's clock, 32 bits.
win32::DWORD backend_tick_count();
// The cursor display counter changed; show it when counter >= 0.
void backend_cursor_visible(bool visible);
// Minimise (false) or restore (true) the window.
void backend_show_window(bool restored);
// Display mode `index`, false past the last.
bool backend_display_mode(win32::DWORD index, win32::DEVMODE& mode);
// Switch to the mode (nullptr: back to the desktop); true on success.
bool backend_change_display_mode(const win32::DEVMODE* mode);
// Presenter.
bool backend_present_open(win32::HWND window, int width, int height);
void backend_present(const void* pixels);
void backend_present_close();

}  // namespace platform::detail
