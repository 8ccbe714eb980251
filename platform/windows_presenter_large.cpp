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

// The box of the pixels inside `part` where the frame differs from the kept copy (empty: none),
// taken into the copy.
frame_part take_differing(std::vector<std::uint16_t>& kept, const std::uint16_t* frame, int width,
                          const frame_part& part) {
  frame_part box{part.right, part.bottom, part.left, part.top};
  const int n = part.right - part.left;
  for (int y = part.top; y < part.bottom; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * width + part.left;
    const std::uint16_t* now = frame + row;
    const std::uint16_t* was = kept.data() + row;
    if (std::memcmp(now, was, static_cast<std::size_t>(n) * sizeof(std::uint16_t)) == 0) continue;
    int first = 0, end = n;
    while (now[first] == was[first]) ++first;
    while (now[end - 1] == was[end - 1]) --end;
    box = {std::min(box.left, part.left + first), std::min(box.top, y),
           std::max(box.right, part.left + end), y + 1};
  }
  if (box.left < box.right) copy_part(kept, frame, width, box);
  return box;
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
  // where the frame was told it may differ, or (not told) in each band of rows: the box of
  // what differs
  auto take = [&](const frame_part& part) {
    if (part.left >= part.right || part.top >= part.bottom) return;
    const frame_part box = take_differing(kept, frame, width, part);
    if (box.left < box.right) parts.push_back(box);
  };
  if (changed != nullptr) {
    for (int i = 0; i < count; ++i)
      take({std::clamp<int>(changed[i].left, 0, width), std::clamp<int>(changed[i].top, 0, height),
            std::clamp<int>(changed[i].right, 0, width),
            std::clamp<int>(changed[i].bottom, 0, height)});
  } else {
    for (int top = 0; top < height; top += band_rows)
      take({0, top, width, std::min(top + band_rows, height)});
  }
  return parts;
}

}  // namespace platform::windows
