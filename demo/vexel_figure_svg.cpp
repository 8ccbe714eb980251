// vexel: the figure as an SVG drawing of the figure area: the walk of the frame's drawing order
// painted as vector shapes from the records' REAL values, in the elements' colours and widths.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "vexel.hpp"

namespace vexel {

namespace {

// The figure area in the records' coordinates. A pixel (x, y) of the picture is the unit square
// around the point (x, y): the drawing is moved by half a pixel so that the squares fill the
// viewBox exactly.
constexpr REAL area_left = -0.5, area_top = -0.5;
constexpr REAL area_right = 800 - 0.5, area_bottom = scene_rows - 0.5;

std::string num(REAL v) {
  char text[48];
  // thousandths of a pixel: no step shows on a printed page
  std::snprintf(text, sizeof text, "%.3f", v);
  std::string s = text;
  if (s == "-0.000") s = "0.000";
  return s;
}

std::string colour(BYTE r, BYTE g, BYTE b) {
  BYTE rgb[3];
  orla::detail::to_rgb8(orla::PACK(r, g, b), rgb);
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
  return text;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

// The width of a stroke drawn as discs of radius width - 1 along it (one pixel for width 1).
REAL stroke_width(unsigned width) {
  return width <= 1 ? 1.0 : 2.0 * width - 1.0;
}

bool finite(std::initializer_list<REAL> values) {
  return std::all_of(values.begin(), values.end(), [](REAL v) { return std::isfinite(v); });
}

struct svg_painter {
  std::string out;
  std::string shadow = colour(shadow_r, shadow_g, shadow_b);

  std::string id(const char* kind, BYTE i, bool is_shadow) {
    return std::string(" id=\"") + (is_shadow ? "shadow-" : "") + kind + "-" + std::to_string(i) +
           "\"";
  }

  void point(BYTE i, bool is_shadow) {
    const auto& p = PONT[i];
    const REAL d = is_shadow ? shadow_offset : 0;
    if (!finite({p.X, p.Y})) return;
    out += "<circle" + id("point", i, is_shadow) + " cx=\"" + num(p.X + d) + "\" cy=\"" +
           num(p.Y + d) + "\" r=\"" + num(p.MERET + 0.5) + "\" fill=\"" +
           (is_shadow ? shadow : colour(p.R, p.G, p.B)) + "\"/>\n";
  }

  void stroke(const std::string& ident, REAL x1, REAL y1, REAL x2, REAL y2, unsigned width,
              const std::string& paint, const char* cap) {
    out += "<line" + ident + " x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) +
           "\" y2=\"" + num(y2) + "\" stroke=\"" + paint + "\" stroke-width=\"" +
           num(stroke_width(width)) + "\" stroke-linecap=\"" + cap + "\"/>\n";
  }

  void segment(BYTE i, bool is_shadow) {
    const auto& s = SZAKASZ[i];
    const REAL d = is_shadow ? shadow_offset : 0;
    if (!finite({s.X1, s.Y1, s.X2, s.Y2})) return;
    stroke(id("segment", i, is_shadow), s.X1 + d, s.Y1 + d, s.X2 + d, s.Y2 + d, s.VASTAGSAG,
           is_shadow ? shadow : colour(s.R, s.G, s.B), "round");
  }

  void line(BYTE i, bool is_shadow) {
    const auto& e = EGYENES[i];
    const REAL d = is_shadow ? shadow_offset : 0;
    // a point of the line and its direction, from the better conditioned of its two forms
    REAL px, py, dx, dy;
    if (e.YXFORMA && (!e.XYFORMA || std::fabs(e.M) <= 1)) {
      px = 0, py = e.C, dx = 1, dy = e.M;
    } else if (e.XYFORMA) {
      px = e.C2, py = 0, dx = e.M2, dy = 1;
    } else {
      return;
    }
    px += d, py += d;
    if (!finite({px, py, dx, dy})) return;
    // the line clipped to the figure area (Liang-Barsky)
    REAL t0 = -INFINITY, t1 = INFINITY;
    auto clip = [&](REAL p, REAL dp, REAL low, REAL high) {
      if (dp == 0) return p >= low && p <= high;
      REAL a = (low - p) / dp, b = (high - p) / dp;
      if (a > b) std::swap(a, b);
      t0 = std::max(t0, a);
      t1 = std::min(t1, b);
      return t0 <= t1;
    };
    if (!clip(px, dx, area_left, area_right) || !clip(py, dy, area_top, area_bottom)) return;
    stroke(id("line", i, is_shadow), px + t0 * dx, py + t0 * dy, px + t1 * dx, py + t1 * dy,
           e.VASTAGSAG, is_shadow ? shadow : colour(e.R, e.G, e.B), "butt");
  }

  void circle(BYTE i, bool is_shadow) {
    const auto& k = KOR[i];
    const REAL d = is_shadow ? shadow_offset : 0;
    if (!finite({k.X, k.Y, k.SUGAR})) return;
    // the rings R, R+1, R-1, R+2 ... : an even count lies half a pixel further out
    const LONGINT width = std::max<LONGINT>(k.VASTAGSAG, 1);
    const REAL middle = k.SUGAR + (width % 2 == 0 ? 0.5 : 0.0);
    out += "<circle" + id("circle", i, is_shadow) + " cx=\"" + num(k.X + d) + "\" cy=\"" +
           num(k.Y + d) + "\" r=\"" + num(middle) + "\" fill=\"none\" stroke=\"" +
           (is_shadow ? shadow : colour(k.R, k.G, k.B)) + "\" stroke-width=\"" +
           num(static_cast<REAL>(width)) + "\"/>\n";
  }

  void parabola(BYTE i, bool is_shadow) {
    const auto& q = PARABOLA[i];
    const REAL d = is_shadow ? shadow_offset : 0;
    if (!finite({q.FX, q.FY, q.P, q.SZOG}) || q.P == 0) return;
    // the arc the program samples, t from -N to its last sample, as one quadratic Bezier: in
    // the frame of a horizontal directrix v(t) = t^2 / 2P - P/2 about the focus, and the
    // tangents at the ends meet at ((t0 + t1) / 2, t0 t1 / 2P - P/2)
    const REAL n = 6 * std::nearbyint(std::fabs(q.P)) + 50;
    const REAL step = std::nearbyint(std::fabs(q.P) / 20) + 1;
    const REAL t0 = -n, t1 = -n + std::floor(2 * n / step) * step;
    const REAL half = q.P / 2, twice = 2 * q.P;
    const REAL cs = std::cos(q.SZOG), sn = std::sin(q.SZOG);
    auto place = [&](REAL u, REAL v, REAL& x, REAL& y) {
      x = q.FX + d + u * cs - v * sn;
      y = q.FY + d + u * sn + v * cs;
    };
    REAL ax, ay, cx, cy, bx, by;
    place(t0, t0 * t0 / twice - half, ax, ay);
    place((t0 + t1) / 2, t0 * t1 / twice - half, cx, cy);
    place(t1, t1 * t1 / twice - half, bx, by);
    if (!finite({ax, ay, cx, cy, bx, by})) return;
    out += "<path" + id("parabola", i, is_shadow) + " d=\"M " + num(ax) + " " + num(ay) + " Q " +
           num(cx) + " " + num(cy) + " " + num(bx) + " " + num(by) + "\" fill=\"none\" stroke=\"" +
           (is_shadow ? shadow : colour(q.R, q.G, q.B)) + "\" stroke-width=\"" +
           num(stroke_width(q.VASTAGSAG)) +
           "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
  }
};

}  // namespace

std::string detail::figure_svg(const std::string& title, const std::string& description,
                               const std::string& background) {
  svg_painter painter;
  std::string& out = painter.out;
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"800\" height=\"" +
         std::to_string(scene_rows) + "\" viewBox=\"0 0 800 " + std::to_string(scene_rows) +
         "\">\n";
  out += "<title>" + escaped(title) + "</title>\n";
  out += "<desc>" + escaped(description) + "</desc>\n";
  if (!background.empty())
    out += "<rect x=\"0\" y=\"0\" width=\"800\" height=\"" + std::to_string(scene_rows) +
           "\" fill=\"" + background + "\"/>\n";
  out += "<g transform=\"translate(0.5 0.5)\">\n";
  paint_figure(painter);
  out += "</g>\n</svg>\n";
  return out;
}

std::string detail::svg_colour(WORD pixel) {
  BYTE rgb[3];
  orla::detail::to_rgb8(pixel, rgb);
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
  return text;
}

}  // namespace vexel
