// platform (Windows): the presenter's copy of the frame drawn at the size it is shown, and which
// parts of it the window must be given again (see windows_presenter.hpp).
#include <algorithm>
#include <cstring>

#include "windows_presenter.hpp"

namespace platform::windows {

namespace {

// Rows compared together when the program does not say what changed: few enough that a slanted
// line changes little of a band, enough that a frame needs few rectangles.
constexpr int band_rows = 8;

void copy_part(std::vector<std::uint16_t>& kept, const std::uint16_t* frame, int width,
               const frame_part& part) {
  for (int y = part.top; y < part.bottom; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * width + part.left;
    std::copy_n(frame + row, part.right - part.left, kept.data() + row);
  }
}

}  // namespace

std::vector<frame_part> take_large_frame(std::vector<std::uint16_t>& kept, const void* pixels,
                                         int width, int height, const win32::RECT* changed,
                                         int count, bool whole) {
  const auto* frame = static_cast<const std::uint16_t*>(pixels);
  const std::size_t size = static_cast<std::size_t>(width) * height;
  std::vector<frame_part> parts;
  if (whole || kept.size() != size) {
    kept.assign(frame, frame + size);
    parts.push_back({0, 0, width, height});
    return parts;
  }
  if (changed != nullptr) {
    for (int i = 0; i < count; ++i) {
      const frame_part part{std::clamp<int>(changed[i].left, 0, width),
                            std::clamp<int>(changed[i].top, 0, height),
                            std::clamp<int>(changed[i].right, 0, width),
                            std::clamp<int>(changed[i].bottom, 0, height)};
      if (part.left >= part.right || part.top >= part.bottom) continue;
      copy_part(kept, frame, width, part);
      parts.push_back(part);
    }
    return parts;
  }
  // not told: the columns that changed in each band of rows
  const std::size_t row_bytes = static_cast<std::size_t>(width) * sizeof(std::uint16_t);
  for (int top = 0; top < height; top += band_rows) {
    const int bottom = std::min(top + band_rows, height);
    int left = width, right = 0;
    for (int y = top; y < bottom; ++y) {
      const std::uint16_t* now = frame + static_cast<std::size_t>(y) * width;
      const std::uint16_t* was = kept.data() + static_cast<std::size_t>(y) * width;
      if (std::memcmp(now, was, row_bytes) == 0) continue;
      int first = 0, end = width;
      while (now[first] == was[first]) ++first;
      while (now[end - 1] == was[end - 1]) --end;
      left = std::min(left, first);
      right = std::max(right, end);
    }
    if (left >= right) continue;
    const frame_part part{left, top, right, bottom};
    copy_part(kept, frame, width, part);
    parts.push_back(part);
  }
  return parts;
}

}  // namespace platform::windows
