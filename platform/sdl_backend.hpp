// platform: the SDL2 backend's private header: its state and the routines its files share. The
// backend is one real window showing the presented frames scaled with the aspect kept, SDL events
// turned into Win32 messages, and real message boxes.
//
// What it cannot do:
// - show more than one window, or a child window inside another program's window (a screen-saver
//   preview): both are refused;
// - place or size its window where the program says: fullscreen, or a window the user sizes
//   (F11 and Alt+Enter switch between them; the program does not see those keys);
// - start the screen saver or switch the monitor off (such system commands are dropped);
// - minimise a window without a window manager (a bare X server): minimised means hidden then.
//
// The files: sdl_video.cpp (video start-up, clock, cursor), sdl_icon.cpp (the program's icon),
// sdl_window.cpp (the window, its modes, the window-manager probe), sdl_input.cpp (events into
// messages, the key table), sdl_boxes.cpp (message boxes), sdl_display_modes.cpp (the screen and
// its modes), sdl_present.cpp (frames through a renderer, or sdl_surface_presenter.cpp).
#pragma once

#include <SDL.h>

#include <optional>
#include <vector>

#include "backend.hpp"
#include "frame_pacer.hpp"
#include "sdl_surface_presenter.hpp"

namespace platform::detail::sdl {

struct sdl_state {
  bool video_tried = false;
  bool video_ok = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;  // the presenter's frame
  win32::HWND hwnd = 0;            // the program's window shown by `window`, 0 once destroyed
  bool frame_shown = false;        // the texture holds a presented frame
  int frame_width = 0, frame_height = 0;
  bool cursor_visible = true;
  bool fullscreen = true;                       // the user's choice, F11 or Alt+Enter
  bool managed = true;                          // a window manager can make the window fullscreen
  bool covering = false;                        // fullscreen done by hand: a borderless window
  std::optional<SDL_DisplayMode> display_mode;  // a real mode set by ChangeDisplaySettings
  frame_pacer pacer;                            // holds the presented frames to the display's rate
  // no graphics processor: frames go into the window's surface instead of through a renderer
  bool on_surface = false;
  surface_presenter surface;
  // frames drawn at the size they are shown: their own texture or surface presenter, and
  // whether the window shows one of them now
  SDL_Texture* large_texture = nullptr;
  int large_width = 0, large_height = 0;
  surface_presenter large_surface;
  bool large_shown = false;
  std::vector<SDL_Rect> large_changes;  // the rectangles given with the large frame
};

sdl_state& state();

// sdl_video.cpp: opens SDL's video subsystem once; false (and a message on standard error) when
// there is no display to show a window on.
bool open_video();
void apply_cursor();

// sdl_icon.cpp: the program's icon (nullptr when SDL cannot make the surface).
SDL_Surface* make_program_icon();

// sdl_window.cpp
// A window manager can make the window fullscreen (on X11 it takes one).
bool window_manager_present(SDL_Window* window);
// Window size for windowed mode.
void windowed_size(int& width, int& height);
// Fullscreen (a real mode when one is set, else the desktop's) or a resizable window.
void apply_window_mode();
void release_window();

// sdl_input.cpp: one SDL event into messages.
void handle_event(const SDL_Event& e);

// sdl_present.cpp
// Frames are presented (between GetDefaultDirectDraw and CloseDirectDraw).
bool presenting();
// The renderer draws with the processor, so the window's own surface is the cheaper way.
bool drawn_by_processor(SDL_Renderer* renderer);
// Shows the last presented frame again (after a resize, an expose or a mode change).
void redraw();

}  // namespace platform::detail::sdl
