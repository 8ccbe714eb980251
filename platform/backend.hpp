// platform: the contract between the Win32 subset (win32_*.cpp) / dravo.cpp and a backend (SDL2,
// headless or browser): what a real platform does, and the services the Win32 subset offers every
// backend. Test hooks are the Win32 subset's own (win32_test_hooks.cpp), not the backends'. The
// other half every platform implements, the Windows program's too, is the user's services a
// program takes its figure out through: user_services.hpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "win32.hpp"

namespace platform::detail {

// What a backend needs to know to show a window.
struct window_description {
  win32::HWND handle = 0;
  std::string title;
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

// Shows a modal box; answers win32::IDOK, IDYES or IDNO. `text` separates its lines by carriage
// returns (box_lines gives them with newlines).
int backend_message_box(const std::string& caption, const std::string& text, win32::UINT type);
// A monotonic millisecond clock, 32 bits (GetTickCount reads it unless a test clock is set).
win32::DWORD backend_milliseconds();
// The cursor display counter changed; show it when counter >= 0.
void backend_cursor_visible(bool visible);
// Opens a window; false when the window system cannot give one. Moving and sizing stay the
// program's own view: no backend places its window where the program's rectangle says.
bool backend_create_window(const window_description& window);
void backend_destroy_window(win32::HWND window);
// Visibility and minimised state changed by the program.
void backend_show_window(win32::HWND window, bool visible, bool minimized);
// Turns the window system's pending events into posted messages. queue_empty: the program
// found nothing to do, so a backend may wait a little (while its window is minimised, say).
void backend_pump(bool queue_empty);
// Size of the screen in the current display mode.
void backend_screen_size(int& width, int& height);
// Display mode `index`, false past the last.
bool backend_display_mode(win32::DWORD index, win32::DEVMODE& mode);
// Switch to the mode (nullptr: back to the desktop); true on success.
bool backend_change_display_mode(const win32::DEVMODE* mode);
// Presenter.
bool backend_present_open(win32::HWND window, int width, int height);
void backend_present(const void* pixels);
void backend_present_close();
// The size in screen pixels of the picture of the last presented frame (the frame's size where
// the backend cannot tell or shows it no larger).
void backend_present_shown_size(int& width, int& height);
// Shows a frame drawn at that size (rows top to bottom, stride width x 2 bytes) where the
// frames are shown; the next backend_present shows a frame of the opened size again. `changed`:
// the `count` rectangles (right and bottom excluded) outside which this frame equals the large
// frame presented before it; nullptr when that is not known (a first frame, say).
void backend_present_large(const void* pixels, int width, int height, const win32::RECT* changed,
                           int count);

// ---- offered by the Win32 subset (win32_messages.cpp, win32_windows.cpp, win32_system.cpp) -----

// Appends a message to the queue (also for a window that no longer exists: it is then dropped).
void post_message(win32::HWND window, win32::UINT message, win32::WPARAM wParam,
                  win32::LPARAM lParam);
// A key press or release as Win32 posts it: WM_SYSKEYDOWN / WM_SYSKEYUP with Alt held and for
// Alt and F10 themselves, and the lParam bits (repeat count 1, scan code, Alt, already down,
// being released).
void post_key(win32::HWND window, win32::WORD virtual_key, bool down, bool repeat, bool alt,
              std::uint8_t scan_code = 0);
// The character the key press posted last typed on the user's layout (a UTF-16 unit): WM_CHAR
// with that press's lParam, as TranslateMessage posts it. Call it right after that post_key.
void post_character(win32::HWND window, win32::WORD character);
// A mouse move to (x, y) in frame coordinates with the MK_ mask `buttons`; dropped when nothing
// changed since the last one posted.
void post_mouse_move(win32::HWND window, int x, int y, win32::WPARAM buttons);
// The mouse buttons by their index in the press and release messages.
enum class mouse_button { left, middle, right };
// A button pressed or released at (x, y); `buttons`: the mask after it. A move there comes first
// when none was reported yet (a touch, say), as on Win32.
void post_mouse_button(win32::HWND window, int x, int y, mouse_button button, bool down,
                       win32::WPARAM buttons);
// The next mouse move is posted whatever the last one was (a new window, new frame coordinates).
void forget_mouse_position();
// The window system changed the window's state; posts WM_ACTIVATE when the state differs from
// what the program last saw.
void window_state_changed(win32::HWND window, bool minimized, bool active);
// The newest top-level window that still exists, 0 when none.
win32::HWND top_window();
// A box's text with its lines separated by newlines, as window systems and terminals want them.
std::string box_lines(const std::string& text);

// ---- test hooks (win32_test_hooks.cpp) ----------------------------------------------------------

// Makes a window of another program known (a screen-saver preview parent, for instance).
bool add_foreign_window(win32::HWND window, const win32::RECT& screen_rect);
// Forgets every window, class, message, quit request and pending failure without sending
// anything.
void reset_window_system();
// Replaces the command line read by program_arguments.
void set_program_arguments(std::vector<std::string> arguments);
void clear_program_arguments();
// Replaces the clock GetTickCount reads (nullptr: back to the backend's).
void set_test_clock(std::function<win32::DWORD()> clock);
// Makes the next call of the named Win32 function fail ("RegisterClass", "CreateWindowEx",
// "UpdateWindow", "GetDC", "ReleaseDC", "GetClientRect", "LoadIcon").
void fail_next_call(const std::string& call);
// Told of every system command that reaches the default window procedure (nullptr: nobody).
void observe_system_commands(std::function<void(win32::WPARAM)> observer);

}  // namespace platform::detail
