// e2e tests: compares a screenshot (raw 8-bit RGB) with a known frame in RGB565 terms, and finds
// top-level windows by title (also the message boxes, which xdotool does not list).
// Usage: orla_e2e_check <shot.rgb> <width> <height> <pattern> <exact|near>
//          prints "viewport x y w h" for the picture found on the screen; exit 0 when it matches
//        orla_e2e_check window <title>
//          prints "<id> <viewable|hidden>" for each top-level window of that title
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e_pattern.hpp"

namespace {

struct rgb {
  int r, g, b;
};

int find_windows(const std::string& title) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "no X display\n");
    return 2;
  }
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  int found = 0;
  for (unsigned i = 0; i < count; ++i) {
    XTextProperty name;
    if (!XGetWMName(display, children[i], &name)) continue;
    const std::string text(reinterpret_cast<const char*>(name.value), name.nitems);
    XFree(name.value);
    if (text != title) continue;
    XWindowAttributes attributes;
    XGetWindowAttributes(display, children[i], &attributes);
    std::printf("0x%lx %s\n", children[i],
                attributes.map_state == IsViewable ? "viewable" : "hidden");
    ++found;
  }
  if (children) XFree(children);
  XCloseDisplay(display);
  return found ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "window") return find_windows(argv[2]);
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s <shot.rgb> <width> <height> <pattern> <exact|near>\n", argv[0]);
    return 2;
  }
  const int width = std::atoi(argv[2]), height = std::atoi(argv[3]), pattern = std::atoi(argv[4]);
  const bool exact = std::string(argv[5]) == "exact";
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
  if (bytes.size() != static_cast<std::size_t>(width) * height * 3) {
    std::fprintf(stderr, "screenshot has %zu bytes, expected %d\n", bytes.size(),
                 width * height * 3);
    return 2;
  }
  auto at = [&](int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return rgb{bytes[i], bytes[i + 1], bytes[i + 2]};
  };

  // the picture: the bounding box of everything that is not black
  int left = width, top = height, right = -1, bottom = -1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const rgb p = at(x, y);
      if (p.r | p.g | p.b) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  if (right < 0) {
    std::printf("no picture on the screen\n");
    return 1;
  }
  const int vw = right - left + 1, vh = bottom - top + 1;
  std::printf("viewport %d %d %d %d\n", left, top, vw, vh);
  // the aspect is kept to within a pixel
  if (std::abs(vw * e2e::frame_height - vh * e2e::frame_width) > e2e::frame_width) {
    std::printf("aspect not kept: %d x %d\n", vw, vh);
    return 1;
  }

  // every screen pixel shows the frame pixel under its centre (nearest neighbour); at a scale
  // that is not whole, rounding may pick the neighbour instead
  auto matches = [&](rgb p, int fx, int fy) {
    if (fx < 0 || fy < 0 || fx >= e2e::frame_width || fy >= e2e::frame_height) return false;
    const unsigned q = e2e::pattern_pixel(pattern, fx, fy);
    return (p.r >> 3) == static_cast<int>(q >> 11) &&
           (p.g >> 2) == static_cast<int>((q >> 5) & 63) && (p.b >> 3) == static_cast<int>(q & 31);
  };
  long wrong = 0;
  int first_x = -1, first_y = -1;
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) {
      const int fx = static_cast<int>((x - left + 0.5) * e2e::frame_width / vw);
      const int fy = static_cast<int>((y - top + 0.5) * e2e::frame_height / vh);
      const rgb p = at(x, y);
      bool ok = matches(p, fx, fy);
      for (int dy = -1; !ok && !exact && dy <= 1; ++dy)
        for (int dx = -1; !ok && dx <= 1; ++dx) ok = matches(p, fx + dx, fy + dy);
      if (!ok && wrong++ == 0) {
        first_x = x;
        first_y = y;
      }
    }
  if (wrong) {
    const rgb p = at(first_x, first_y);
    std::printf("%ld pixels differ; first at screen (%d, %d): %d %d %d\n", wrong, first_x, first_y,
                p.r, p.g, p.b);
    return 1;
  }
  std::printf("picture matches\n");
  return 0;
}
