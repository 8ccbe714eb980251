// e2e tests of the vexel program: checks an 800 x 600 screenshot (raw 8-bit RGB) in RGB565 terms
// against what the program must show, built from its picture files and its button table.
// Usage: vexel_e2e_check <shot.rgb> <command> ...
//   intro <folder>                the white screen with "vex.vex" circling near (150, 175)
//   panel <folder> <chapter> <hover> [<speed>]
//                                 the panel rows equal "menu.vex" with the button tints of that
//                                 chapter, the pointer over button <hover> (0: none; not the
//                                 slider) and the slider at <speed> (40 unless given)
//   help <folder>                 the whole screen is "sugo.vex"
//   backdrop <folder> <x> <y> <r> every pixel within r of (x, y) is the backdrop "menu.vex"
//   disc <x> <y> <r> <rgb565>     every pixel within r of (x, y) has that colour (hex)
//   ring <rgb565> <min%> <max%> <x1> <y1> <x2> <y2> <x3> <y3>
//                                 the share of points of the incircle of that triangle that
//                                 show the colour lies between min% and max%
//   circumcircle <rgb565> <min%> <max%> <x1> <y1> <x2> <y2> <x3> <y3>
//                                 the same for the circle through the three vertices
//   black                         every pixel is black
//   figure <other.rgb>            the figure's rows (above the panel) equal another screenshot's
// Exit 0 when the check holds, 1 when not (with the reason), 2 on bad input.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "panel_buttons.hpp"

namespace {

constexpr int width = 800, height = 600;
constexpr int panel_top = 458;

using picture = std::vector<std::uint16_t>;

[[noreturn]] void bad_input(const std::string& why) {
  std::fprintf(stderr, "vexel_e2e_check: %s\n", why.c_str());
  std::exit(2);
}

std::vector<unsigned char> read_bytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) bad_input("cannot read " + file);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The screenshot reduced to RGB565.
picture read_shot(const std::string& file) {
  const auto bytes = read_bytes(file);
  if (bytes.size() != std::size_t{width} * height * 3)
    bad_input(file + ": expected an 800 x 600 RGB screenshot");
  picture shot(std::size_t{width} * height);
  for (std::size_t i = 0; i < shot.size(); ++i)
    shot[i] = static_cast<std::uint16_t>((bytes[3 * i] >> 3) << 11 | (bytes[3 * i + 1] >> 2) << 5 |
                                         bytes[3 * i + 2] >> 3);
  return shot;
}

// A sprite file: width x height little-endian RGB565 pixels, then width and height as 16-bit
// little-endian numbers.
picture read_sprite(const std::string& file, int& w, int& h) {
  const auto bytes = read_bytes(file);
  if (bytes.size() < 4) bad_input(file + ": too short for a sprite file");
  const std::size_t n = bytes.size();
  w = bytes[n - 4] | bytes[n - 3] << 8;
  h = bytes[n - 2] | bytes[n - 1] << 8;
  if (std::size_t(w) * h * 2 + 4 != n) bad_input(file + ": size does not match its trailer");
  picture p(std::size_t(w) * h);
  for (std::size_t i = 0; i < p.size(); ++i)
    p[i] = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return p;
}

picture read_screen_sprite(const std::string& file) {
  int w = 0, h = 0;
  picture p = read_sprite(file, w, h);
  if (w != width || h != height) bad_input(file + ": not an 800 x 600 picture");
  return p;
}

int fail(const char* what, int x, int y, std::uint16_t got, std::uint16_t expected) {
  std::printf("%s: pixel (%d, %d) is %04x, expected %04x\n", what, x, y, got, expected);
  return 1;
}

// A translucent highlight as the program lays it: each channel lowered by its level (not below
// 0), then the highlight colour added (capped).
void tint(picture& p, int x, int y, int w, int h, int lr, int lg, int lb, int r, int g, int b) {
  for (int yy = std::max(y, 0); yy < std::min(y + h, height); ++yy)
    for (int xx = std::max(x, 0); xx < std::min(x + w, width); ++xx) {
      std::uint16_t& q = p[std::size_t(yy) * width + xx];
      const int nr = std::min(std::max((q >> 11) - lr, 0) + r, 31);
      const int ng = std::min(std::max(((q >> 5) & 63) - lg, 0) + g, 63);
      const int nb = std::min(std::max((q & 31) - lb, 0) + b, 31);
      q = static_cast<std::uint16_t>(nr << 11 | ng << 5 | nb);
    }
}

using button = panel_test::rect;
using panel_test::buttons;
// The slider's value at start.
constexpr int start_speed = 40;

int check_panel(const picture& shot, const std::string& folder, int chapter, int hover,
                int speed = start_speed) {
  if (chapter < 2 || chapter > 10 || hover < 0 || hover > 15 || speed < 0 || speed > 85)
    bad_input("panel: chapter 2..10, hover 0..15, speed 0..85");
  picture expected = read_screen_sprite(folder + "/menu.vex");
  // in chapter 9 the animation controls act and the slider shows its speed in yellow
  const bool pedal = chapter == 9;
  for (int n = 1; n <= 16; ++n) {
    const button& b = buttons[n];
    const bool control = n >= 12;
    if (n == hover && (pedal || !control))
      tint(expected, b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1, 5, 10, 5, 0, 0, 20);
    if (n == chapter) tint(expected, b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1, 18, 36, 18, 15, 31, 0);
    if (control && n < 16 && !pedal)
      tint(expected, b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1, 20, 40, 20, 10, 20, 10);
    if (n == 16 && pedal)
      tint(expected, b.x1, b.y2 - speed - 2, b.x2 - b.x1, speed + 2, 25, 50, 25, 15, 31, 0);
    if (n == 16 && !pedal)
      tint(expected, b.x1, b.y2 - speed - 2, b.x2 - b.x1, speed + 2, 20, 40, 20, 10, 20, 10);
  }
  for (int y = panel_top; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::size_t i = std::size_t(y) * width + x;
      if (shot[i] != expected[i]) return fail("panel", x, y, shot[i], expected[i]);
    }
  std::printf("panel of chapter %d, pointer over button %d, speed %d\n", chapter, hover, speed);
  return 0;
}

int check_intro(const picture& shot, const std::string& folder) {
  int w = 0, h = 0;
  const picture title = read_sprite(folder + "/vex.vex", w, h);
  constexpr std::uint16_t white = 0xFFFF;
  constexpr int cx = 150, cy = 175, radius = 11;
  // the corner is on a circle of radius 11 around (cx, cy), rounded to whole pixels
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      if (dx * dx + dy * dy > (radius + 1) * (radius + 1)) continue;
      const int px = cx + dx, py = cy + dy;
      bool same = true;
      for (int y = 0; same && y < height; ++y)
        for (int x = 0; same && x < width; ++x) {
          const bool inside = x >= px && x < px + w && y >= py && y < py + h;
          const std::uint16_t want = inside ? title[std::size_t(y - py) * w + (x - px)] : white;
          same = shot[std::size_t(y) * width + x] == want;
        }
      if (same) {
        std::printf("intro picture at (%d, %d)\n", px, py);
        return 0;
      }
    }
  std::printf("intro: no white screen with the title picture near (%d, %d)\n", cx, cy);
  return 1;
}

int check_same(const picture& shot, const picture& expected, const char* what, int x0, int y0,
               int r) {
  for (int y = std::max(y0 - r, 0); y <= std::min(y0 + r, height - 1); ++y)
    for (int x = std::max(x0 - r, 0); x <= std::min(x0 + r, width - 1); ++x) {
      if ((x - x0) * (x - x0) + (y - y0) * (y - y0) > r * r) continue;
      const std::size_t i = std::size_t(y) * width + x;
      if (shot[i] != expected[i]) return fail(what, x, y, shot[i], expected[i]);
    }
  std::printf("%s around (%d, %d)\n", what, x0, y0);
  return 0;
}

// The share of points of the circle (mx, my, r) that show the colour.
int check_circle(const picture& shot, const char* what, std::uint16_t colour, double min_share,
                 double max_share, double mx, double my, double r) {
  constexpr int samples = 120;
  int showing = 0;
  for (int k = 0; k < samples; ++k) {
    const double t = 2 * M_PI * k / samples;
    const int x = static_cast<int>(std::lrint(mx + r * std::cos(t)));
    const int y = static_cast<int>(std::lrint(my + r * std::sin(t)));
    bool near = false;
    // the ring is a few pixels wide; its sampled point may round beside it
    for (int dy = -1; dy <= 1 && !near; ++dy)
      for (int dx = -1; dx <= 1 && !near; ++dx)
        if (x + dx >= 0 && x + dx < width && y + dy >= 0 && y + dy < height)
          near = shot[std::size_t(y + dy) * width + x + dx] == colour;
    showing += near;
  }
  const double share = 100.0 * showing / samples;
  std::printf("%s (%.1f, %.1f) r %.1f: %.0f%% in %04x\n", what, mx, my, r, share, colour);
  return share >= min_share && share <= max_share ? 0 : 1;
}

// The incircle of the triangle, from its side lengths.
int check_ring(const picture& shot, std::uint16_t colour, double min_share, double max_share,
               const double v[6]) {
  const double a = std::hypot(v[2] - v[4], v[3] - v[5]);  // opposite the first vertex
  const double b = std::hypot(v[0] - v[4], v[1] - v[5]);
  const double c = std::hypot(v[0] - v[2], v[1] - v[3]);
  const double s = (a + b + c) / 2;
  const double mx = (a * v[0] + b * v[2] + c * v[4]) / (2 * s);
  const double my = (a * v[1] + b * v[3] + c * v[5]) / (2 * s);
  const double r = std::sqrt((s - a) * (s - b) * (s - c) / s);
  return check_circle(shot, "incircle", colour, min_share, max_share, mx, my, r);
}

// The circle through the three vertices.
int check_circumcircle(const picture& shot, std::uint16_t colour, double min_share,
                       double max_share, const double v[6]) {
  const double d = 2 * (v[0] * (v[3] - v[5]) + v[2] * (v[5] - v[1]) + v[4] * (v[1] - v[3]));
  if (d == 0) bad_input("circumcircle: the vertices lie on one line");
  const double q1 = v[0] * v[0] + v[1] * v[1], q2 = v[2] * v[2] + v[3] * v[3],
               q3 = v[4] * v[4] + v[5] * v[5];
  const double mx = (q1 * (v[3] - v[5]) + q2 * (v[5] - v[1]) + q3 * (v[1] - v[3])) / d;
  const double my = (q1 * (v[4] - v[2]) + q2 * (v[0] - v[4]) + q3 * (v[2] - v[0])) / d;
  return check_circle(shot, "circumcircle", colour, min_share, max_share, mx, my,
                      std::hypot(v[0] - mx, v[1] - my));
}

int number(const char* text) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 0);
  if (*end != '\0') bad_input(std::string("not a number: ") + text);
  return static_cast<int>(v);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) bad_input("usage: vexel_e2e_check <shot.rgb> <command> ...");
  const picture shot = read_shot(argv[1]);
  const std::string command = argv[2];
  const int extra = argc - 3;
  char** arg = argv + 3;
  if (command == "intro" && extra == 1) return check_intro(shot, arg[0]);
  if (command == "panel" && (extra == 3 || extra == 4))
    return check_panel(shot, arg[0], number(arg[1]), number(arg[2]),
                       extra == 4 ? number(arg[3]) : start_speed);
  if (command == "help" && extra == 1)
    return check_same(shot, read_screen_sprite(std::string(arg[0]) + "/sugo.vex"), "help picture",
                      width / 2, height / 2, width);
  if (command == "backdrop" && extra == 4)
    return check_same(shot, read_screen_sprite(std::string(arg[0]) + "/menu.vex"), "backdrop",
                      number(arg[1]), number(arg[2]), number(arg[3]));
  if (command == "disc" && extra == 4)
    return check_same(shot, picture(shot.size(), static_cast<std::uint16_t>(number(arg[3]))),
                      "disc", number(arg[0]), number(arg[1]), number(arg[2]));
  if ((command == "ring" || command == "circumcircle") && extra == 9) {
    double v[6];
    for (int i = 0; i < 6; ++i) v[i] = number(arg[3 + i]);
    const auto colour = static_cast<std::uint16_t>(number(arg[0]));
    if (command == "ring") return check_ring(shot, colour, number(arg[1]), number(arg[2]), v);
    return check_circumcircle(shot, colour, number(arg[1]), number(arg[2]), v);
  }
  if (command == "figure" && extra == 1) {
    const picture other = read_shot(arg[0]);
    for (int y = 0; y < panel_top; ++y)
      for (int x = 0; x < width; ++x) {
        const std::size_t i = std::size_t(y) * width + x;
        if (shot[i] != other[i]) return fail("figure", x, y, shot[i], other[i]);
      }
    std::printf("figure unchanged\n");
    return 0;
  }
  if (command == "black" && extra == 0)
    return check_same(shot, picture(shot.size(), 0), "black screen", width / 2, height / 2, width);
  bad_input("unknown command or wrong arguments: " + command);
}
