// platform: the SDL backend's presenter for displays without a graphics processor: frames go
// into the window's own surface, scaled with its proportions kept (nearest neighbour) by our own
// conversion, and only the parts that changed since the last frame are sent to the window system.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace platform::detail {

class surface_presenter {
 public:
  // Starts presenting frames of width x height RGB565 pixels into the window; false when the
  // window's surface has a pixel format this presenter does not write.
  bool open(SDL_Window* window, int width, int height);
  void close();
  bool is_open() const { return window_ != nullptr; }
  // Shows a frame (rows top to bottom, stride width x 2 bytes). `changed`: the `count` frame
  // rectangles outside which it equals the frame presented before it (only those are compared
  // and sent); nullptr: the whole frame is compared.
  void present(const void* pixels, const SDL_Rect* changed = nullptr, int count = 0);
  // Shows the last frame again on the whole window (black before the first frame).
  void redraw();
  // The frame pixel under window pixel (x, y), clamped to the frame.
  void to_frame(int x, int y, int& fx, int& fy) const;
  // The size of the window's rectangle that shows the frame now.
  void shown_size(int& width, int& height) const;
  // The window shows something else: the next frame is drawn whole.
  void forget_shown() { frame_shown_ = false; }

 private:
  // Refreshes the surface, the viewport and the lookup tables; true when all must be redrawn.
  bool prepare(SDL_Surface*& surface);
  // Converts frame rows fy0..fy1-1, columns fx0..fx1-1 into the surface; returns the window
  // rectangle written.
  SDL_Rect convert(SDL_Surface* surface, int fx0, int fy0, int fx1, int fy1);
  void draw_all(SDL_Surface* surface);
  // Takes the differing pixels of frame row y, columns x0..x1-1, into the shown frame and adds
  // their columns to its band's.
  void take_row(const std::uint16_t* frame, int y, int x0, int x1);

  SDL_Window* window_ = nullptr;
  int width_ = 0, height_ = 0;
  std::vector<std::uint16_t> shown_;  // the frame on the window
  bool frame_shown_ = false;
  SDL_Surface* surface_ = nullptr;  // the surface the tables below are for
  int surface_w_ = 0, surface_h_ = 0;
  Uint32 format_ = 0;
  int viewport_x_ = 0, viewport_y_ = 0, viewport_w_ = 0, viewport_h_ = 0;
  std::vector<std::uint32_t> colour_;  // RGB565 -> surface pixel
  bool widens_ = false;                // the table is widened() with alpha_ added
  std::uint32_t alpha_ = 0;
  std::vector<int> column_source_;              // viewport column -> frame column
  std::vector<int> first_column_, end_column_;  // frame column -> viewport columns showing it
  std::vector<int> first_row_, end_row_;        // frame row -> viewport rows showing it
  std::vector<SDL_Rect> rects_;
  // per band of rows: the runs of columns that changed (first, last)
  std::vector<std::vector<std::pair<int, int>>> band_runs_;
};

}  // namespace platform::detail
