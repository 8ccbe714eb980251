// vexel: the figure drawn at the size it is shown: the walk of the frame's drawing order painted
// from the records' REAL values into a layer `scale` times the scene layer's size, the shapes of
// the SVG drawing (vexel_figure_svg.cpp) filled where they cover a pixel's centre.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <vector>

#include "orla.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

// The columns of one row a shape covers, in the records' coordinates; empty when lo > hi.
struct interval {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  bool empty() const { return !(lo <= hi); }
  interval& cut(const interval& o) {
    lo = std::max(lo, o.lo);
    hi = std::min(hi, o.hi);
    return *this;
  }
};

constexpr double everywhere = std::numeric_limits<double>::infinity();

// Where a * (u - px) + b lies in [low, high] for the columns u (a row's part of a band).
interval between(double a, double b, double px, double low, double high) {
  if (a == 0) return low <= b && b <= high ? interval{-everywhere, everywhere} : interval{};
  double u1 = px + (low - b) / a, u2 = px + (high - b) / a;
  if (u1 > u2) std::swap(u1, u2);
  return {u1, u2};
}

// The columns of row v inside the disc of radius r about (cx, cy).
interval disc_row(double cx, double cy, double r, double v) {
  const double dv = v - cy;
  const double w = r * r - dv * dv;
  if (!(w >= 0)) return {};
  const double h = std::sqrt(w);
  return {cx - h, cx + h};
}

bool finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The width of a stroke drawn as discs of radius width - 1 along it (one pixel for width 1).
double stroke_width(unsigned width) {
  return width <= 1 ? 1.0 : 2.0 * width - 1.0;
}

// The tiles of the layer's record one element marked: a band and its tiles left..right.
struct tile_run {
  std::int64_t band = -1, left = 0, right = -1;
};

// What each element drew when it was drawn last (by kind, index and shadow): what it was drawn
// from, and the tiles it marked. An element drawn from the same values covers the same pixels
// with the same colour, so a pixel can differ between two frames only where an element that
// changed, came or went drew in one of them.
struct element_drawn {
  std::uint64_t values = 0;
  bool drawn = false;
  std::vector<tile_run> tiles;
};
constexpr int element_kinds = 5, element_slots = 64;
struct figure_drawn {
  std::vector<element_drawn> elements =
      std::vector<element_drawn>(element_kinds * element_slots * 2);
};
struct drawn_history {
  figure_drawn before, now;
  // the layer and scale it is for; valid: `before` holds the last drawing into that layer
  LONGINT width = 0, height = 0;
  double scale = 0;
  bool valid = false;
};
drawn_history history;

// A set of the layer's tiles: the tiles of a band as bits, and which bands hold any.
struct tile_set {
  std::int64_t bands = 0, words = 0;
  std::vector<std::uint64_t> bits;
  std::vector<char> any;

  void reset(std::int64_t width, std::int64_t height) {
    bands = (height + detail::layer_tile_height - 1) / detail::layer_tile_height;
    words = ((width + detail::layer_tile_width - 1) / detail::layer_tile_width + 63) / 64;
    bits.assign(static_cast<std::size_t>(bands * words), 0);
    any.assign(static_cast<std::size_t>(bands), 0);
  }
  bool has(std::int64_t band, std::int64_t tile) const {
    return (bits[static_cast<std::size_t>(band * words + tile / 64)] >> (tile % 64) & 1) != 0;
  }
  void add(const tile_run& t) {
    if (t.band < 0 || t.band >= bands) return;
    for (std::int64_t tile = t.left; tile <= t.right; ++tile)
      bits[static_cast<std::size_t>(t.band * words + tile / 64)] |= std::uint64_t{1} << (tile % 64);
    any[static_cast<std::size_t>(t.band)] = 1;
  }
  bool meets(const std::vector<tile_run>& tiles) const {
    for (const tile_run& t : tiles) {
      if (!any[static_cast<std::size_t>(t.band)]) continue;
      for (std::int64_t tile = t.left; tile <= t.right; ++tile)
        if (has(t.band, tile)) return true;
    }
    return false;
  }
  // Calls f(band, first tile, last tile) for each run of tiles in the set.
  template <class F>
  void each_run(F&& f) const {
    const std::int64_t tiles = words * 64;
    for (std::int64_t band = 0; band < bands; ++band) {
      if (!any[static_cast<std::size_t>(band)]) continue;
      for (std::int64_t tile = 0; tile < tiles;) {
        if (!has(band, tile)) {
          ++tile;
          continue;
        }
        const std::int64_t first = tile;
        while (tile < tiles && has(band, tile)) ++tile;
        f(band, first, tile - 1);
      }
    }
  }
};

// A running hash of the values an element is drawn from.
struct values_hash {
  std::uint64_t h = 1469598103934665603ull;
  void add(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    h = (h ^ bits) * 1099511628211ull;
    h ^= h >> 29;
  }
};

struct scaled_painter {
  scaled_painter(orla::VIRTUALWINDOW& into, double at_scale) : layer(into), scale(at_scale) {}
  orla::VIRTUALWINDOW& layer;  // its size bounds the drawing
  double scale;
  double inverse = 1 / scale;
  WORD shadow = orla::PACK(shadow_r, shadow_g, shadow_b);
  // where the pixels go (the layer's, or a frame's of the layer's width; nullptr: nowhere, the
  // elements' tiles are only measured), and the backdrop a black pixel shows when they go
  // straight into the frame (black lets the backdrop through)
  WORD* out = layer.DATA;
  const WORD* under = nullptr;
  // where each element's tiles are kept (nullptr: in the layer's record instead), and the
  // element being drawn
  figure_drawn* record = nullptr;
  element_drawn* current = nullptr;
  // measuring: the last drawing, whose elements drawn from the same values keep their tiles
  const figure_drawn* before = nullptr;
  // painting only inside these tiles (nullptr: everywhere); the tiles are already measured
  const tile_set* inside = nullptr;
  // the element's tiles are taken as it goes (false while painting inside tiles)
  bool marking = true;

  // Starts an element: its values, and its tiles from now on; false when its shape need not be
  // gone through (measuring: it is drawn from the same values as before; painting inside tiles:
  // it reaches none of them).
  bool begin(int kind, BYTE index, bool is_shadow, std::initializer_list<double> values) {
    // the tiles marked last belong to the element before
    marked[0] = marked[1] = tiles{};
    if (record == nullptr) return true;
    const auto slot = static_cast<std::size_t>(
        (kind * element_slots + std::min<int>(index, element_slots - 1)) * 2 + is_shadow);
    current = &record->elements[slot];
    if (inside != nullptr) {
      marking = false;
      return inside->meets(current->tiles);
    }
    values_hash hash;
    for (const double v : values) hash.add(v);
    current->values = hash.h;
    current->drawn = true;
    marking = true;
    if (before != nullptr) {
      const element_drawn& was = before->elements[slot];
      if (was.drawn && was.values == hash.h) {
        current->tiles = was.tiles;
        return false;
      }
    }
    current->tiles.clear();
    return true;
  }

  // A pixel (x, y) of the layer is the square of side 1/scale about the point
  // ((x + 0.5) / scale - 0.5, (y + 0.5) / scale - 0.5) of the records.
  double row_v(std::int64_t y) const { return (static_cast<double>(y) + 0.5) * inverse - 0.5; }
  double pixel_of(double u) const { return (u + 0.5) * scale - 0.5; }

  // The rows of the layer whose centres lie between v1 and v2.
  void rows(double v1, double v2, std::int64_t& first, std::int64_t& last) const {
    const double top = std::max(std::ceil(pixel_of(std::min(v1, v2))), 0.0);
    const double bottom =
        std::min(std::floor(pixel_of(std::max(v1, v2))), static_cast<double>(layer.HOEHE - 1));
    first = static_cast<std::int64_t>(top);
    last = top <= bottom ? static_cast<std::int64_t>(bottom) : first - 1;
  }

  // Painting inside tiles, row y lies in a band without any: its spans need not be worked out.
  bool passed_over(std::int64_t y) const {
    return inside != nullptr &&
           !inside->any[static_cast<std::size_t>(y / detail::layer_tile_height)];
  }

  // Fills the pixels of row y whose centres lie in the interval.
  void fill(std::int64_t y, const interval& span, WORD colour) {
    if (span.empty()) return;
    const double left = std::max(std::ceil(pixel_of(span.lo)), 0.0);
    const double right =
        std::min(std::floor(pixel_of(span.hi)), static_cast<double>(layer.BREITE - 1));
    if (left > right) return;
    const auto l = static_cast<std::int64_t>(left), r = static_cast<std::int64_t>(right);
    if (marking) mark(y, l, r);
    if (out == nullptr) return;
    if (inside == nullptr) {
      put(y, l, r, colour);
      return;
    }
    // only inside the tiles, a run of them at a time
    const std::int64_t band = y / detail::layer_tile_height;
    const std::int64_t last_tile = r / detail::layer_tile_width;
    for (std::int64_t tile = l / detail::layer_tile_width; tile <= last_tile; ++tile) {
      if (!inside->has(band, tile)) continue;
      const std::int64_t first_tile = tile;
      while (tile < last_tile && inside->has(band, tile + 1)) ++tile;
      put(y, std::max(l, first_tile * detail::layer_tile_width),
          std::min(r, (tile + 1) * detail::layer_tile_width - 1), colour);
    }
  }

  void put(std::int64_t y, std::int64_t l, std::int64_t r, WORD colour) {
    const std::int64_t at = y * layer.BREITE + l;
    if (colour == 0 && under != nullptr)
      std::copy_n(under + at, r - l + 1, out + at);
    else
      std::fill_n(out + at, r - l + 1, colour);
  }

  // The tiles of the record last marked: the rows of a shape in one band of tiles mostly fall
  // on the tiles of the row before (a ring's two sides: the two entries).
  struct tiles {
    std::int64_t band = -1, left = 0, right = -1;
  };
  tiles marked[2];
  int next_mark = 0;

  void mark(std::int64_t y, std::int64_t l, std::int64_t r) {
    const tiles t{y / detail::layer_tile_height, l / detail::layer_tile_width,
                  r / detail::layer_tile_width};
    for (const tiles& m : marked)
      if (m.band == t.band && m.left <= t.left && t.right <= m.right) return;
    marked[next_mark] = t;
    next_mark = 1 - next_mark;
    if (current != nullptr)
      current->tiles.push_back({t.band, t.left, t.right});
    else
      detail::mark_layer_box(layer, t.left * detail::layer_tile_width,
                             t.band * detail::layer_tile_height,
                             (t.right + 1) * detail::layer_tile_width - 1,
                             (t.band + 1) * detail::layer_tile_height - 1);
  }

  void disc(double cx, double cy, double r, WORD colour) {
    if (!finite({cx, cy, r})) return;
    std::int64_t first = 0, last = -1;
    rows(cy - r, cy + r, first, last);
    for (std::int64_t y = first; y <= last; ++y)
      if (!passed_over(y)) fill(y, disc_row(cx, cy, r, row_v(y)), colour);
  }

  // A stroke of half width h from (x1, y1) to (x2, y2); round: with round caps, otherwise the
  // whole line through the two points.
  void stroke(double x1, double y1, double x2, double y2, double h, bool round, WORD colour) {
    if (!finite({x1, y1, x2, y2})) return;
    const double dx = x2 - x1, dy = y2 - y1;
    const double length = std::hypot(dx, dy);
    if (!(length > 0)) {
      if (round) disc(x1, y1, h, colour);
      return;
    }
    const double nx = -dy / length, ny = dx / length, tx = dx / length, ty = dy / length;
    std::int64_t first = 0, last = -1;
    if (round)
      rows(std::min(y1, y2) - h, std::max(y1, y2) + h, first, last);
    else
      rows(-everywhere, everywhere, first, last);
    if (!round && nx != 0) {
      // a whole line: on every row the same width about a centre moving by a fixed step
      const double half = std::fabs(h / nx), slope = -ny / nx;
      for (std::int64_t y = first; y <= last; ++y) {
        if (passed_over(y)) continue;
        const double centre = x1 + slope * (row_v(y) - y1);
        fill(y, {centre - half, centre + half}, colour);
      }
      return;
    }
    for (std::int64_t y = first; y <= last; ++y) {
      if (passed_over(y)) continue;
      const double v = row_v(y);
      interval span = between(nx, ny * (v - y1), x1, -h, h);
      if (round) {
        span.cut(between(tx, ty * (v - y1), x1, 0, length));
        // a capsule is convex: its row is one interval, the band's and the caps' together
        for (const interval& cap : {disc_row(x1, y1, h, v), disc_row(x2, y2, h, v)}) {
          if (cap.empty()) continue;
          span.lo = std::min(span.lo, cap.lo);
          span.hi = std::max(span.hi, cap.hi);
        }
      }
      fill(y, span, colour);
    }
  }

  void ring(double cx, double cy, double middle, double half, WORD colour) {
    if (!finite({cx, cy, middle})) return;
    const double outer = middle + half, inner = middle - half;
    std::int64_t first = 0, last = -1;
    rows(cy - outer, cy + outer, first, last);
    for (std::int64_t y = first; y <= last; ++y) {
      if (passed_over(y)) continue;
      const double v = row_v(y);
      const interval out = disc_row(cx, cy, outer, v);
      const interval in = inner > 0 ? disc_row(cx, cy, inner, v) : interval{};
      if (in.empty()) {
        fill(y, out, colour);
        continue;
      }
      fill(y, {out.lo, in.lo}, colour);
      fill(y, {in.hi, out.hi}, colour);
    }
  }

  void point(BYTE i, bool is_shadow) {
    const auto& p = PONT[i];
    const double d = is_shadow ? shadow_offset : 0;
    if (!begin(0, i, is_shadow,
               {p.X + d, p.Y + d, double(p.MERET), double(p.R), double(p.G), double(p.B)}))
      return;
    disc(p.X + d, p.Y + d, p.MERET + 0.5, is_shadow ? shadow : orla::PACK(p.R, p.G, p.B));
  }

  void segment(BYTE i, bool is_shadow) {
    const auto& s = SZAKASZ[i];
    const double d = is_shadow ? shadow_offset : 0;
    if (!begin(1, i, is_shadow,
               {s.X1 + d, s.Y1 + d, s.X2 + d, s.Y2 + d, double(s.VASTAGSAG), double(s.R),
                double(s.G), double(s.B)}))
      return;
    stroke(s.X1 + d, s.Y1 + d, s.X2 + d, s.Y2 + d, stroke_width(s.VASTAGSAG) / 2, true,
           is_shadow ? shadow : orla::PACK(s.R, s.G, s.B));
  }

  void line(BYTE i, bool is_shadow) {
    const auto& e = EGYENES[i];
    const double d = is_shadow ? shadow_offset : 0;
    if (!begin(2, i, is_shadow,
               {d, double(e.YXFORMA), double(e.XYFORMA), e.M, e.C, e.M2, e.C2, double(e.VASTAGSAG),
                double(e.R), double(e.G), double(e.B)}))
      return;
    // a point of the line and its direction, from the better conditioned of its two forms
    double px, py, dx, dy;
    if (e.YXFORMA && (!e.XYFORMA || std::fabs(e.M) <= 1)) {
      px = 0, py = e.C, dx = 1, dy = e.M;
    } else if (e.XYFORMA) {
      px = e.C2, py = 0, dx = e.M2, dy = 1;
    } else {
      return;
    }
    stroke(px + d, py + d, px + d + dx, py + d + dy, stroke_width(e.VASTAGSAG) / 2, false,
           is_shadow ? shadow : orla::PACK(e.R, e.G, e.B));
  }

  void circle(BYTE i, bool is_shadow) {
    const auto& k = KOR[i];
    const double d = is_shadow ? shadow_offset : 0;
    if (!begin(3, i, is_shadow,
               {k.X + d, k.Y + d, double(k.SUGAR), double(k.VASTAGSAG), double(k.R), double(k.G),
                double(k.B)}))
      return;
    // the rings R, R+1, R-1, R+2 ... : an even count lies half a pixel further out
    const LONGINT width = std::max<LONGINT>(k.VASTAGSAG, 1);
    const double middle = k.SUGAR + (width % 2 == 0 ? 0.5 : 0.0);
    ring(k.X + d, k.Y + d, middle, width / 2.0, is_shadow ? shadow : orla::PACK(k.R, k.G, k.B));
  }

  void parabola(BYTE i, bool is_shadow) {
    const auto& q = PARABOLA[i];
    const double d = is_shadow ? shadow_offset : 0;
    if (!begin(4, i, is_shadow,
               {q.FX + d, q.FY + d, q.P, q.SZOG, double(q.VASTAGSAG), double(q.R), double(q.G),
                double(q.B)}))
      return;
    if (!finite({q.FX, q.FY, q.P, q.SZOG}) || q.P == 0) return;
    // the arc the program samples, t from -N to its last sample, drawn as a polyline fine
    // enough that it leaves the curve by less than a quarter of a screen pixel
    const double n = 6 * std::nearbyint(std::fabs(q.P)) + 50;
    const double step = std::nearbyint(std::fabs(q.P) / 20) + 1;
    const double t0 = -n, t1 = -n + std::floor(2 * n / step) * step;
    const double half = q.P / 2, twice = 2 * q.P;
    const double cs = std::cos(q.SZOG), sn = std::sin(q.SZOG);
    const double h = stroke_width(q.VASTAGSAG) / 2;
    const WORD colour = is_shadow ? shadow : orla::PACK(q.R, q.G, q.B);
    // a chord of length c on a curve of curvature k leaves it by about k c^2 / 8; the curvature
    // is 1 / |P| at the vertex and (1 + u^2)^(-3/2) / |P| at t = u P, where the curve runs
    // (1 + u^2)^(1/2) times as fast as t: a step of t may grow as (1 + u^2)^(1/4)
    const double chord = std::max(std::sqrt(8 * 0.25 / scale * std::fabs(q.P)), 0.5);
    const double least = (t1 - t0) / 20000;
    double px = 0, py = 0;
    for (double t = t0, next = t0; t <= t1; t = next) {
      const double u = t / q.P;
      next = t < t1 ? std::min(t + std::max(chord * std::sqrt(std::sqrt(1 + u * u)), least), t1)
                    : t1 + 1;
      const double v = t * t / twice - half;
      const double x = q.FX + d + t * cs - v * sn, y = q.FY + d + t * sn + v * cs;
      if (t > t0 && (std::max(py, y) + h >= -1 && std::min(py, y) - h <= scene_rows &&
                     std::max(px, x) + h >= -1 && std::min(px, x) - h <= WIDTH))
        stroke(px, py, x, y, h, true, colour);
      px = x, py = y;
    }
  }
};

}  // namespace

void detail::draw_figure_scaled(orla::VIRTUALWINDOW& layer, double scale) {
  scaled_painter painter(layer, scale);
  paint_figure(painter);
}

bool detail::draw_figure_scaled_onto(orla::VIRTUALWINDOW& layer, double scale,
                                     orla::VIRTUALWINDOW& frame,
                                     const orla::VIRTUALWINDOW& backdrop,
                                     const std::vector<win32::RECT>& restored,
                                     std::vector<win32::RECT>& changes) {
  if (frame.BREITE != layer.BREITE || backdrop.BREITE != layer.BREITE ||
      frame.HOEHE < layer.HOEHE || backdrop.HOEHE < layer.HOEHE) {
    history.valid = false;
    return false;
  }
  const bool known = history.valid && history.width == layer.BREITE &&
                     history.height == layer.HOEHE && history.scale == scale;
  for (auto& e : history.now.elements) e.drawn = false;
  scaled_painter painter(layer, scale);
  painter.under = backdrop.DATA;
  painter.record = &history.now;
  if (!known) {
    // the whole figure over the backdrop, each element's tiles kept
    painter.out = frame.DATA;
    paint_figure(painter);
  } else {
    // the tiles of the elements that changed, came or went, in this drawing and the last: only
    // there can a pixel differ; each element drawn from the same values keeps its tiles
    painter.out = nullptr;
    painter.before = &history.before;
    paint_figure(painter);
    static tile_set redrawn;
    redrawn.reset(layer.BREITE, layer.HOEHE);
    for (std::size_t k = 0; k < history.now.elements.size(); ++k) {
      const element_drawn& now = history.now.elements[k];
      const element_drawn& was = history.before.elements[k];
      if (now.drawn && was.drawn && now.values == was.values) continue;
      for (const element_drawn* e : {&now, &was})
        if (e->drawn)
          for (const tile_run& t : e->tiles) redrawn.add(t);
    }
    const auto right_of = [&](std::int64_t tile) {
      return static_cast<win32::LONG>(
          std::min<std::int64_t>((tile + 1) * layer_tile_width, layer.BREITE));
    };
    const auto bottom_of = [&](std::int64_t band) {
      return static_cast<win32::LONG>(
          std::min<std::int64_t>((band + 1) * layer_tile_height, layer.HOEHE));
    };
    redrawn.each_run([&](std::int64_t band, std::int64_t first, std::int64_t last) {
      changes.push_back({static_cast<win32::LONG>(first * layer_tile_width),
                         static_cast<win32::LONG>(band * layer_tile_height), right_of(last),
                         bottom_of(band)});
    });
    // where the caller put the backdrop back, the figure goes again too
    for (const win32::RECT& r : restored) {
      const std::int64_t top = std::max<std::int64_t>(r.top, 0),
                         bottom = std::min<std::int64_t>(r.bottom, layer.HOEHE);
      if (top >= bottom || r.left >= r.right) continue;
      for (std::int64_t band = top / layer_tile_height; band <= (bottom - 1) / layer_tile_height;
           ++band)
        redrawn.add({band, std::max<std::int64_t>(r.left, 0) / layer_tile_width,
                     std::min<std::int64_t>(r.right - 1, layer.BREITE - 1) / layer_tile_width});
    }
    // the backdrop back in those tiles, then every element that reaches them, inside them
    redrawn.each_run([&](std::int64_t band, std::int64_t first, std::int64_t last) {
      const std::int64_t left = first * layer_tile_width, right = right_of(last);
      for (std::int64_t y = band * layer_tile_height; y < bottom_of(band); ++y)
        std::copy_n(backdrop.DATA + y * layer.BREITE + left, right - left,
                    frame.DATA + y * layer.BREITE + left);
    });
    painter.before = nullptr;
    painter.out = frame.DATA;
    painter.inside = &redrawn;
    paint_figure(painter);
  }
  std::swap(history.before, history.now);
  history.width = layer.BREITE;
  history.height = layer.HOEHE;
  history.scale = scale;
  history.valid = true;
  return known;
}

void detail::forget_figure_drawn() {
  history.valid = false;
}

}  // namespace vexel
