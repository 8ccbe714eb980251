// platform: controls of the headless backend, for tests, benchmarks and batch rendering.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "win32.hpp"

namespace headless {

// ---- message boxes ------------------------------------------------------------------------------
// One message box as it would have been shown.
struct shown_box {
  std::string caption;
  std::string text;
  win32::UINT type = 0;
};

// Every box shown so far, oldest first.
const std::vector<shown_box>& message_boxes();
void clear_message_boxes();
// The answer a yes/no box gets (win32::IDNO unless a test says otherwise).
void set_yes_no_answer(int answer);

// ---- clock and cursor ---------------------------------------------------------------------------
// Replaces the millisecond clock (nullptr: back to the real clock).
void set_clock(std::function<win32::DWORD()> clock);
// The cursor as the window system would show it.
bool cursor_visible();

// ---- display modes ------------------------------------------------------------------------------
// Display modes the headless display offers (default: 1024 x 768 x 32 and 800 x 600 x 16).
void set_display_modes(std::vector<win32::DEVMODE> modes);
// The desktop's size while no mode is set (default 1024 x 768).
void set_desktop_size(int width, int height);
// The mode currently set, or a zeroed mode when the desktop's is in force.
const win32::DEVMODE& current_display_mode();
bool display_mode_changed();

// ---- windows ------------------------------------------------------------------------------------
// Forgets every window, class, queued message and quit request without sending anything, and
// clears the failures, the idle hook, the system-command record and the command line.
void reset_window_system();
// The newest top-level window of the program, 0 when none.
win32::HWND top_window();
// false while the newest window shown is minimised.
bool window_restored();
bool window_visible(win32::HWND window);
std::string window_title(win32::HWND window);
// Makes a window of another program known, with its screen rectangle.
bool add_foreign_window(win32::HWND window, const win32::RECT& screen_rect);
// Makes the next call of the named Win32 function fail ("RegisterClass", "CreateWindowEx",
// "UpdateWindow", "GetDC", "ReleaseDC", "GetClientRect", "LoadIcon").
void fail_next_call(const std::string& call);
// System commands that reached the default window procedure, oldest first.
const std::vector<win32::WPARAM>& system_commands();
// The command line seen by platform::program_arguments.
void set_program_arguments(std::vector<std::string> arguments);
// Runs whenever a PeekMessage finds the queue empty (nullptr: nothing), so a test can let
// messages arrive while the program polls.
void set_idle_hook(std::function<void()> hook);

// ---- input, posted to the newest top-level window -----------------------------------------------
void post_message(win32::UINT message, win32::WPARAM wParam = 0, win32::LPARAM lParam = 0);
// A mouse move to (x, y) in frame coordinates with the MK_ mask `buttons`.
void mouse_move(int x, int y, win32::WPARAM buttons = 0);
// A key press or release of a virtual-key code, as a keyboard gives it (WM_KEYDOWN / WM_KEYUP;
// WM_SYSKEYDOWN / WM_SYSKEYUP for Alt and F10); a press that typed a character on the user's
// layout is followed by its WM_CHAR.
void key(win32::WORD virtual_key, bool down, win32::WORD character = 0);
// The window system minimised or restored the window.
void activate(bool minimized);
// The user asked to close the window.
void close();

// ---- presenter ----------------------------------------------------------------------------------
bool presenter_open();
int presenter_width();
int presenter_height();
std::uint64_t frames_presented();
// The last presented frame (width x height RGB565 pixels).
const std::vector<std::uint16_t>& last_frame();
// The size the frames are shown at (0 x 0: the frame's own size, the default), as a large
// screen shows them; frames drawn at that size are kept apart from the others.
void set_shown_size(int width, int height);
// How many of the frames presented were drawn at the shown size, and the last of them.
std::uint64_t large_frames_presented();
const std::vector<std::uint16_t>& last_large_frame(int& width, int& height);
// How many large frames came with the rectangles they changed (since set_shown_size), and how
// many pixels they changed outside those rectangles.
std::uint64_t large_frames_told_changes();
std::uint64_t large_pixels_changed_untold();
// Keep every presented frame (off by default: only the last is kept).
void keep_presented_frames(bool keep);
const std::vector<std::vector<std::uint16_t>>& presented_frames();

// ---- user services ------------------------------------------------------------------------------
// The text last put on the clipboard, and the figure line last shared (the page's address).
const std::string& clipboard_text();
const std::string& shared_figure_line();
void clear_user_services();

}  // namespace headless
