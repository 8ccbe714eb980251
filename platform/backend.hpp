// platform: the interface each backend (SDL2 or headless) implements for win32.cpp and dravo.cpp,
// and the services win32.cpp offers the backends.
#pragma once

#include <cstdint>
#include <string>

#include "win32.hpp"

namespace platform::detail {

// What a backend needs to know to show a window.
struct window_description {
  win32::HWND handle = 0;
  std::string title;
  win32::RECT screen_rect;  // position and size on the screen
  bool visible = false;
  bool topmost = false;
  bool child = false;  // lives inside another window
  win32::HICON icon = 0;
};

// The icons and the cursor the platform knows.
inline constexpr win32::HICON system_application_icon = 0x00017F00;
inline constexpr win32::HICON program_icon = 0x0001007D;
inline constexpr win32::HCURSOR arrow_cursor = 0x00027F00;

// ---- implemented by each backend ----------------------------------------------------------------

// Shows a modal box; answers win32::IDOK, IDYES or IDNO.
int backend_message_box(const std::string& caption, const std::string& text, win32::UINT type);
// Milliseconds of the backend's clock, 32 bits.
win32::DWORD backend_tick_count();
// The cursor display counter changed; show it when counter >= 0.
void backend_cursor_visible(bool visible);
// Opens a window; false when the window system cannot give one.
bool backend_create_window(const window_description& window);
void backend_destroy_window(win32::HWND window);
// Visibility and minimised state changed by the program.
void backend_show_window(win32::HWND window, bool visible, bool minimized);
void backend_move_window(win32::HWND window, const win32::RECT& screen_rect);
// Turns the window system's pending events into posted messages.
void backend_pump();
// Called when the queue is empty; the SDL backend waits briefly while its window is minimised.
void backend_idle();
// A system command reached the default window procedure (screen saver, monitor power ...).
void backend_system_command(win32::HWND window, win32::WPARAM command);
// Size of the screen in the current display mode.
void backend_screen_size(int& width, int& height);
// Display mode `index`, false past the last.
bool backend_display_mode(win32::DWORD index, win32::DEVMODE& mode);
// Switch to the mode (nullptr: back to the desktop); true on success.
bool backend_change_display_mode(const win32::DEVMODE* mode);
// Fault injection for tests: true when the named Win32 call is to fail this time.
bool backend_call_fails(const char* call);
// Presenter.
bool backend_present_open(win32::HWND window, int width, int height);
void backend_present(const void* pixels);
void backend_present_close();

// ---- offered by win32.cpp -----------------------------------------------------------------------

// Appends a message to the queue (also for a window that no longer exists: it is then dropped).
void post_message(win32::HWND window, win32::UINT message, win32::WPARAM wParam,
                  win32::LPARAM lParam);
// The window system changed the window's state; posts WM_ACTIVATE when the state differs from
// what the program last saw.
void window_state_changed(win32::HWND window, bool minimized, bool active);
// A window's picture was damaged; WM_PAINT follows when the queue is empty.
void invalidate_window(win32::HWND window);
// The newest top-level window that still exists, 0 when none.
win32::HWND top_window();
// Makes a window of another program known (a screen-saver preview parent, for instance).
bool add_foreign_window(win32::HWND window, const win32::RECT& screen_rect);
// Forgets every window, class, message and quit request without sending anything.
void reset_window_system();
// Replaces the command line read by program_arguments (tests).
void set_program_arguments(std::vector<std::string> arguments);
void clear_program_arguments();

}  // namespace platform::detail
