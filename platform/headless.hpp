// platform: controls of the headless backend, for tests, benchmarks and batch rendering.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "win32.hpp"

namespace headless {

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

// Replaces the millisecond clock (nullptr: back to the real clock).
void set_clock(std::function<win32::DWORD()> clock);

// The cursor as the window system would show it.
bool cursor_visible();
// false while the window is minimised.
bool window_restored();

// Display modes the headless display offers (default: 1024 x 768 x 32 and 800 x 600 x 16).
void set_display_modes(std::vector<win32::DEVMODE> modes);
// The mode currently set, or nullopt-like zeroed mode when the desktop's is in force.
const win32::DEVMODE& current_display_mode();
bool display_mode_changed();

// The presenter: frames kept for inspection.
bool presenter_open();
int presenter_width();
int presenter_height();
std::uint64_t frames_presented();
// The last presented frame (width x height RGB565 pixels).
const std::vector<std::uint16_t>& last_frame();
// Keep every presented frame (off by default: only the last is kept).
void keep_presented_frames(bool keep);
const std::vector<std::vector<std::uint16_t>>& presented_frames();

}  // namespace headless
