// platform: the SDL window-surface presenter (see sdl_surface_presenter.hpp).
#include "sdl_surface_presenter.hpp"

#include <algorithm>
#include <cstring>

namespace platform::detail {

namespace {

// Frame rows compared and sent together: small enough that a slanted line changes little of a
// band, large enough that a frame needs few rectangles.
constexpr int band_rows = 8;
// Runs of changed columns in a band closer than this are sent as one rectangle.
constexpr int run_gap = 64;

// The viewport of a width x height frame in a w x h window: as large as it goes, proportions kept,
// centred (the letterbox SDL's renderer lays with a logical size).
void letterbox(int w, int h, int width, int height, int& vx, int& vy, int& vw, int& vh) {
  vw = w;
  vh = h;
  if (static_cast<long>(w) * height > static_cast<long>(h) * width)
    vw = static_cast<int>(static_cast<long>(h) * width / height);
  else
    vh = static_cast<int>(static_cast<long>(w) * height / width);
  vx = (w - vw) / 2;
  vy = (h - vh) / 2;
}

// The frame pixel under the centre of viewport pixel i of n showing `size` frame pixels.
int source_of(int i, int n, int size) {
  return std::min(static_cast<int>((2L * i + 1) * size / (2L * n)), size - 1);
}

// The first index below n where the two rows differ (n when they agree), eight bytes at a time.
int first_difference(const std::uint16_t* a, const std::uint16_t* b, int n) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return i + __builtin_ctzll(x ^ y) / 16;  // little-endian: the lowest pixel first
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// The last index where the two rows differ, given that one below n does.
int last_difference(const std::uint16_t* a, const std::uint16_t* b, int n) {
  int i = n;
  for (; i >= 4; i -= 4) {
    std::uint64_t x, y;
    std::memcpy(&x, a + i - 4, 8);
    std::memcpy(&y, b + i - 4, 8);
    if (x != y) return i - 1 - __builtin_clzll(x ^ y) / 16;
  }
  while (i > 0 && a[i - 1] == b[i - 1]) --i;
  return i - 1;
}

template <int bytes>
void put(Uint8* at, std::uint32_t pixel) {
  if constexpr (bytes == 4) {
    std::memcpy(at, &pixel, 4);
  } else if constexpr (bytes == 2) {
    const auto p = static_cast<std::uint16_t>(pixel);
    std::memcpy(at, &p, 2);
  } else {
    std::memcpy(at, &pixel, 3);  // little-endian: the low three bytes
  }
}

// RGB565 to 8-bit channels at bits 16, 8 and 0, each widened by repeating its top bits (what
// SDL_MapRGB gives for XRGB8888 and ARGB8888 with the alpha bits added): a loop the compiler
// turns into vector code, where the table lookup stays one load a pixel.
inline std::uint32_t widened(std::uint16_t p) {
  const std::uint32_t r = p >> 11, g = p >> 5 & 63, b = p & 31;
  return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

void widen_row(const std::uint16_t* source, int n, std::uint32_t alpha, Uint8* target) {
  auto* out = reinterpret_cast<std::uint32_t*>(target);
  for (int i = 0; i < n; ++i) out[i] = widened(source[i]) | alpha;
}

template <int bytes>
void convert_row(const std::uint16_t* source, const int* columns, int n,
                 const std::uint32_t* colour, Uint8* target) {
  for (int i = 0; i < n; ++i) put<bytes>(target + i * bytes, colour[source[columns[i]]]);
}

}  // namespace

bool surface_presenter::open(SDL_Window* window, int width, int height) {
  close();
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return false;
  const int bytes = surface->format->BytesPerPixel;
  if (bytes < 2 || bytes > 4 || SDL_BYTEORDER != SDL_LIL_ENDIAN) return false;
  window_ = window;
  width_ = width;
  height_ = height;
  shown_.assign(static_cast<std::size_t>(width) * height, 0);
  frame_shown_ = false;
  surface_ = nullptr;
  redraw();
  return true;
}

void surface_presenter::close() {
  window_ = nullptr;
  surface_ = nullptr;
  frame_shown_ = false;
}

bool surface_presenter::prepare(SDL_Surface*& surface) {
  surface = SDL_GetWindowSurface(window_);
  if (!surface) return false;
  const bool same = surface == surface_ && surface->w == surface_w_ && surface->h == surface_h_ &&
                    surface->format->format == format_;
  if (same) return false;
  if (surface->format->format != format_ || colour_.empty()) {
    colour_.resize(65536);
    for (unsigned p = 0; p < 65536; ++p) {
      const unsigned r = p >> 11, g = (p >> 5) & 63, b = p & 31;
      colour_[p] =
          SDL_MapRGB(surface->format, static_cast<Uint8>(r << 3 | r >> 2),
                     static_cast<Uint8>(g << 2 | g >> 4), static_cast<Uint8>(b << 3 | b >> 2));
    }
    // a surface of 8-bit channels in that order converts without the table
    alpha_ = colour_[0];
    widens_ = surface->format->BytesPerPixel == 4;
    for (unsigned p = 0; p < 65536 && widens_; ++p)
      widens_ = colour_[p] == (widened(static_cast<std::uint16_t>(p)) | alpha_);
  }
  surface_ = surface;
  surface_w_ = surface->w;
  surface_h_ = surface->h;
  format_ = surface->format->format;
  letterbox(surface_w_, surface_h_, width_, height_, viewport_x_, viewport_y_, viewport_w_,
            viewport_h_);
  column_source_.resize(static_cast<std::size_t>(std::max(viewport_w_, 0)));
  first_column_.assign(static_cast<std::size_t>(width_), 0);
  end_column_.assign(static_cast<std::size_t>(width_), 0);
  first_row_.assign(static_cast<std::size_t>(height_), 0);
  end_row_.assign(static_cast<std::size_t>(height_), 0);
  for (int i = viewport_w_ - 1; i >= 0; --i) {
    const int fx = column_source_[static_cast<std::size_t>(i)] = source_of(i, viewport_w_, width_);
    first_column_[static_cast<std::size_t>(fx)] = i;
    if (end_column_[static_cast<std::size_t>(fx)] == 0)
      end_column_[static_cast<std::size_t>(fx)] = i + 1;
  }
  for (int i = viewport_h_ - 1; i >= 0; --i) {
    const int fy = source_of(i, viewport_h_, height_);
    first_row_[static_cast<std::size_t>(fy)] = i;
    if (end_row_[static_cast<std::size_t>(fy)] == 0) end_row_[static_cast<std::size_t>(fy)] = i + 1;
  }
  return true;
}

SDL_Rect surface_presenter::convert(SDL_Surface* surface, int fx0, int fy0, int fx1, int fy1) {
  // viewport columns and rows showing the frame's rectangle (a frame pixel smaller than a window
  // pixel may be shown by none)
  int c0 = viewport_w_, c1 = 0, r0 = viewport_h_, r1 = 0;
  for (int fx = fx0; fx < fx1; ++fx) {
    if (end_column_[static_cast<std::size_t>(fx)] == 0) continue;
    c0 = std::min(c0, first_column_[static_cast<std::size_t>(fx)]);
    c1 = std::max(c1, end_column_[static_cast<std::size_t>(fx)]);
  }
  if (c0 >= c1) return {0, 0, 0, 0};
  const int bytes = surface->format->BytesPerPixel;
  auto* base = static_cast<Uint8*>(surface->pixels);
  for (int fy = fy0; fy < fy1; ++fy) {
    const int first = first_row_[static_cast<std::size_t>(fy)],
              end = end_row_[static_cast<std::size_t>(fy)];
    if (end == 0) continue;
    r0 = std::min(r0, first);
    r1 = std::max(r1, end);
    const std::uint16_t* source = shown_.data() + static_cast<std::size_t>(fy) * width_;
    Uint8* row = base + static_cast<std::ptrdiff_t>(viewport_y_ + first) * surface->pitch +
                 static_cast<std::ptrdiff_t>(viewport_x_ + c0) * bytes;
    const int* columns = column_source_.data() + c0;
    if (widens_ && viewport_w_ == width_)
      widen_row(source + c0, c1 - c0, alpha_, row);  // one window pixel a frame pixel
    else if (bytes == 4)
      convert_row<4>(source, columns, c1 - c0, colour_.data(), row);
    else if (bytes == 2)
      convert_row<2>(source, columns, c1 - c0, colour_.data(), row);
    else
      convert_row<3>(source, columns, c1 - c0, colour_.data(), row);
    // the further window rows that show the same frame row
    for (int r = first + 1; r < end; ++r)
      std::memcpy(row + static_cast<std::ptrdiff_t>(r - first) * surface->pitch, row,
                  static_cast<std::size_t>(c1 - c0) * bytes);
  }
  if (r0 >= r1) return {0, 0, 0, 0};
  return {viewport_x_ + c0, viewport_y_ + r0, c1 - c0, r1 - r0};
}

void surface_presenter::draw_all(SDL_Surface* surface) {
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  if (frame_shown_) convert(surface, 0, 0, width_, height_);
  SDL_UpdateWindowSurface(window_);
}

void surface_presenter::redraw() {
  if (!window_) return;
  SDL_Surface* surface = nullptr;
  prepare(surface);
  if (surface) draw_all(surface);
}

void surface_presenter::take_row(const std::uint16_t* frame, int y, int x0, int x1) {
  const std::size_t row = static_cast<std::size_t>(y) * width_ + x0;
  const std::uint16_t* now = frame + row;
  std::uint16_t* was = shown_.data() + row;
  if (std::memcmp(now, was, static_cast<std::size_t>(x1 - x0) * 2) == 0) return;
  const int first = first_difference(now, was, x1 - x0);
  if (first == x1 - x0) return;
  const int last = last_difference(now, was, x1 - x0);
  std::memcpy(was + first, now + first, static_cast<std::size_t>(last - first + 1) * 2);
  auto& runs = band_runs_[static_cast<std::size_t>(y / band_rows)];
  // the rows of a band mostly repeat the run of the row before
  if (!runs.empty() && runs.back().first <= x0 + last + run_gap &&
      x0 + first <= runs.back().second + run_gap) {
    runs.back().first = std::min(runs.back().first, x0 + first);
    runs.back().second = std::max(runs.back().second, x0 + last);
  } else {
    runs.emplace_back(x0 + first, x0 + last);
  }
}

void surface_presenter::present(const void* pixels, const SDL_Rect* changed, int count) {
  if (!window_) return;
  SDL_Surface* surface = nullptr;
  const bool redrawn = prepare(surface);
  if (!surface) return;
  const auto* frame = static_cast<const std::uint16_t*>(pixels);
  if (redrawn || !frame_shown_) {
    std::memcpy(shown_.data(), frame, shown_.size() * 2);
    frame_shown_ = true;
    draw_all(surface);
    return;
  }
  // the columns that changed in each band of rows: where the frame was told to differ, or
  // anywhere
  const std::size_t bands = static_cast<std::size_t>((height_ + band_rows - 1) / band_rows);
  band_runs_.resize(bands);
  for (auto& runs : band_runs_) runs.clear();
  if (changed == nullptr) {
    for (int y = 0; y < height_; ++y) take_row(frame, y, 0, width_);
  } else {
    for (int k = 0; k < count; ++k) {
      const SDL_Rect& r = changed[k];
      const int x0 = std::max(r.x, 0), x1 = std::min(r.x + r.w, width_);
      const int y0 = std::max(r.y, 0), y1 = std::min(r.y + r.h, height_);
      if (x0 >= x1) continue;
      for (int y = y0; y < y1; ++y) take_row(frame, y, x0, x1);
    }
  }
  rects_.clear();
  for (std::size_t band = 0; band < bands; ++band) {
    auto& runs = band_runs_[band];
    if (runs.empty()) continue;
    // the runs in column order, those closer than the gap joined
    std::sort(runs.begin(), runs.end());
    std::size_t joined = 0;
    for (std::size_t k = 1; k < runs.size(); ++k) {
      if (runs[k].first <= runs[joined].second + run_gap)
        runs[joined].second = std::max(runs[joined].second, runs[k].second);
      else
        runs[++joined] = runs[k];
    }
    runs.resize(joined + 1);
    const int y0 = static_cast<int>(band) * band_rows, y1 = std::min(y0 + band_rows, height_);
    for (const auto& [first, last] : runs) {
      const SDL_Rect r = convert(surface, first, y0, last + 1, y1);
      if (r.w > 0 && r.h > 0) rects_.push_back(r);
    }
  }
  if (!rects_.empty())
    SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size()));
}

void surface_presenter::shown_size(int& width, int& height) const {
  width = width_;
  height = height_;
  if (!window_) return;
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) return;
  int x = 0, y = 0;
  letterbox(surface->w, surface->h, width_, height_, x, y, width, height);
}

void surface_presenter::to_frame(int x, int y, int& fx, int& fy) const {
  if (viewport_w_ <= 0 || viewport_h_ <= 0) {
    fx = fy = 0;
    return;
  }
  // the pixel under the pointer's pixel centre, as the picture shows it
  fx = static_cast<int>(
      std::clamp((2L * (x - viewport_x_) + 1) * width_ / (2L * viewport_w_), 0L, width_ - 1L));
  fy = static_cast<int>(
      std::clamp((2L * (y - viewport_y_) + 1) * height_ / (2L * viewport_h_), 0L, height_ - 1L));
}

}  // namespace platform::detail
