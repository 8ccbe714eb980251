// vexel: the figure as one line of text (the vertices, the chapter and the travelling point's
// state), written for the clipboard, the command line and the page's address, and read back with
// a clear message for every line that cannot be used.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "vexel.hpp"

namespace vexel {

namespace {

constexpr REAL two_pi = 6.283185307179586;
// Decimals of the angle: at a circumradius of 1000 pixels 10^-4 radians is a tenth of a pixel.
constexpr REAL angle_scale = 10000.0;

std::string quoted(std::string_view text) {
  // a megabyte of garbage is named by its start
  constexpr std::size_t shown = 40;
  std::string out(1, '\'');
  out += text.substr(0, shown);
  out += text.size() <= shown ? "'" : "...'";
  return out;
}

// A plain decimal: an optional minus, digits, optionally a point and digits. No exponents, no
// "nan" or "inf", nothing after it.
std::optional<REAL> number(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0 || i != text.size() || text.size() > 30) return std::nullopt;
  // the digits are checked: strtod reads them in the C locale the program runs in
  return std::strtod(std::string(text).c_str(), nullptr);
}

std::optional<int> whole(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string fixed(REAL value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

const char* mode_name(detail::point_mode mode) {
  switch (mode) {
    case detail::point_mode::run:
      return "run";
    case detail::point_mode::stop:
      return "stop";
    case detail::point_mode::pointer:
      return "mouse";
  }
  return "stop";
}

}  // namespace

detail::figure_state detail::current_figure() {
  figure_state f;
  for (int v = 0; v < 3; ++v) {
    f.x[v] = PONT[v + 1].X;
    f.y[v] = PONT[v + 1].Y;
  }
  f.chapter = SARGAMENU;
  f.angle = VEXEL_SZOG;
  f.speed = SEBESSEG;
  f.mode = !ANIMACIO ? point_mode::pointer : PLAY ? point_mode::run : point_mode::stop;
  return f;
}

std::string detail::figure_line(const figure_state& f) {
  std::string line;
  for (int v = 0; v < 3; ++v) {
    if (v > 0) line += ';';
    line += static_cast<char>('A' + v);
    line += '=' + fixed(f.x[v], 1) + ',' + fixed(f.y[v], 1);
  }
  line += ";ch=" + std::to_string(f.chapter);
  if (f.chapter != pedal_chapter) return line;
  // the angle in [0, 2 pi) as written: one that rounds up to 2 pi is 0
  REAL angle = std::isfinite(f.angle) ? std::fmod(f.angle, two_pi) : 0.0;
  if (angle < 0) angle += two_pi;
  angle = std::nearbyint(angle * angle_scale) / angle_scale;
  if (angle >= two_pi) angle = 0.0;
  line += ";t=" + fixed(angle, 4) + ";v=" + std::to_string(f.speed) + ";m=" + mode_name(f.mode);
  return line;
}

detail::figure_reading detail::read_figure_line(std::string_view line) {
  figure_reading result;
  auto refuse = [&result](std::string why) {
    result.ok = false;
    result.error = std::move(why);
    return result;
  };
  if (line.size() > longest_figure_line)
    return refuse("the figure line is too long (" + std::to_string(line.size()) +
                  " characters; at most " + std::to_string(longest_figure_line) + ")");
  // a line pasted from a mail or a terminal may bring blanks and a line end with it
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!line.empty() && blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && blank(line.back())) line.remove_suffix(1);
  if (line.empty()) return refuse("the figure line is empty");

  figure_state f;  // defaults for what the line leaves out: chapter 2, the point at rest
  bool vertex_seen[3] = {false, false, false};
  bool chapter_seen = false, angle_seen = false, speed_seen = false, mode_seen = false;
  std::size_t start = 0;
  while (start <= line.size()) {
    const std::size_t end = std::min(line.find(';', start), line.size());
    const std::string_view item = line.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = item.find('=');
    if (item.empty()) return refuse("an empty item (';' at the end or two in a row)");
    if (equals == std::string_view::npos)
      return refuse(quoted(item) + " is not of the form key=value");
    const std::string_view key = item.substr(0, equals), value = item.substr(equals + 1);
    auto twice = [&](bool& seen) {
      const bool again = seen;
      seen = true;
      return again;
    };
    if (key == "A" || key == "B" || key == "C") {
      const int v = key[0] - 'A';
      if (twice(vertex_seen[v]))
        return refuse("the vertex " + std::string(key) + " is given twice");
      const std::size_t comma = value.find(',');
      const auto x =
          comma == std::string_view::npos ? std::nullopt : number(value.substr(0, comma));
      const auto y =
          comma == std::string_view::npos ? std::nullopt : number(value.substr(comma + 1));
      if (!x || !y)
        return refuse("the vertex " + std::string(key) + ": " + quoted(value) +
                      " is not a pair of numbers x,y");
      if (*x < 0 || *x > figure_right || *y < 0 || *y > figure_bottom)
        return refuse("the vertex " + std::string(key) + "=" + std::string(value) +
                      " lies outside the figure area (x 0 to " + fixed(figure_right, 0) +
                      ", y 0 to " + fixed(figure_bottom, 0) + ")");
      f.x[v] = *x;
      f.y[v] = *y;
    } else if (key == "ch") {
      if (twice(chapter_seen)) return refuse("the chapter ch is given twice");
      const auto chapter = whole(value);
      if (!chapter || *chapter < first_chapter || *chapter > last_chapter)
        return refuse("the chapter ch: " + quoted(value) + " is not a chapter number 2 to 10");
      f.chapter = static_cast<BYTE>(*chapter);
    } else if (key == "t") {
      if (twice(angle_seen)) return refuse("the angle t is given twice");
      const auto angle = number(value);
      if (!angle) return refuse("the angle t: " + quoted(value) + " is not a number");
      if (*angle < 0 || *angle >= two_pi)
        return refuse("the angle t=" + std::string(value) + " is outside 0 to 2 pi (6.2831)");
      f.angle = *angle;
    } else if (key == "v") {
      if (twice(speed_seen)) return refuse("the speed v is given twice");
      const auto speed = whole(value);
      if (!speed || *speed > slider_top_speed)
        return refuse("the speed v: " + quoted(value) + " is not a whole number 0 to 85");
      f.speed = static_cast<BYTE>(*speed);
    } else if (key == "m") {
      if (twice(mode_seen)) return refuse("the mode m is given twice");
      if (value == "run")
        f.mode = point_mode::run;
      else if (value == "stop")
        f.mode = point_mode::stop;
      else if (value == "mouse")
        f.mode = point_mode::pointer;
      else
        return refuse("the mode m: " + quoted(value) + " is not one of run, stop, mouse");
    } else {
      return refuse("unknown key " + quoted(key) + " (the keys are A, B, C, ch, t, v, m)");
    }
  }
  for (int v = 0; v < 3; ++v)
    if (!vertex_seen[v])
      return refuse("the vertex " + std::string(1, static_cast<char>('A' + v)) + " is missing");
  result.ok = true;
  result.figure = f;
  return result;
}

std::string detail::figure_line_refusal(const std::string& why) {
  return "The figure line cannot be used: " + why + ".\rThe default figure is shown.";
}

void detail::apply_figure(const figure_state& f) {
  for (int v = 0; v < 3; ++v) {
    PONT[v + 1].X = f.x[v];
    PONT[v + 1].Y = f.y[v];
    PONT_SZAMOL(static_cast<BYTE>(v + 1));
  }
  SARGAMENU = f.chapter;
  VEXEL_SZOG = f.angle;
  SEBESSEG = f.speed;
  PILSEB = 0.0;
  ANIMACIO = f.mode != point_mode::pointer;
  PLAY = f.mode == point_mode::run;
}

}  // namespace vexel
