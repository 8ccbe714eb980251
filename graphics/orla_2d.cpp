// orla_2d: drawing primitives: the line walker, circles, rectangles and the longer spans.
#include "orla_2d.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace orla_2d {
namespace detail {
namespace {

using u64 = std::uint64_t;

// The 8-connected (or, with Smooth, 4-connected) walk of a line, told along its major axis:
// the walk starts at (a, b), takes len steps of sa along the major axis, and after each one a
// step of sb along the minor axis whenever the error term becomes positive. plot receives
// (major, minor). With Clip, the walk plots only points with 0 <= major < major_size and
// 0 <= minor < minor_size, and starts at the first step whose major coordinate is inside, so
// its cost is bounded by the window, not by the length of the line.
template <bool Smooth, bool Clip, typename Plot>
void walk_major(coord a, coord b, coord sa, coord sb, coord len, coord dm, LONGINT major_size,
                LONGINT minor_size, Plot plot) {
  coord k_first = 0;
  coord k_last = len;
  if constexpr (Clip) {
    const coord top = coord{major_size} - 1;
    if (sa > 0) {
      k_first = std::max(k_first, -a);
      k_last = std::min(k_last, top - a);
    } else {
      k_first = std::max(k_first, a - top);
      k_last = std::min(k_last, a);
    }
    if (k_first > k_last) return;
  }
  auto emit = [&](coord major, coord minor) {
    if constexpr (Clip) {
      if (!in_range(minor, minor_size)) return;
    }
    plot(major, minor);
  };

  // After k steps the walk has made m(k) = ceil((k*dm - len/2) / len) minor steps, and its error
  // term is e(k) = k*dm - len/2 - m(k)*len, which stays in (-len, 0]. Both are evaluated without
  // a sign in 64 bits: k*dm + len - 1 - len/2 < 2^64 for any pair of 32-bit end points.
  const u64 bias = static_cast<u64>(len) - 1 - static_cast<u64>(len >> 1);
  auto minor_steps = [&](coord k) {
    return static_cast<coord>((static_cast<u64>(k) * static_cast<u64>(dm) + bias) /
                              static_cast<u64>(len));
  };

  coord e = -(len >> 1);
  coord major = a + sa * k_first;
  coord minor = b;
  if (k_first == 0) {
    emit(major, minor);
  } else {
    const coord m = minor_steps(k_first);
    const u64 rest = static_cast<u64>(k_first) * static_cast<u64>(dm) + bias -
                     static_cast<u64>(m) * static_cast<u64>(len);
    e = static_cast<coord>(rest) - (len - 1);
    minor = b + sb * m;
    if constexpr (Smooth) emit(major, b + sb * minor_steps(k_first - 1));
    emit(major, minor);
  }
  for (coord k = k_first; k < k_last; ++k) {
    e += dm;
    major += sa;
    if constexpr (Smooth) emit(major, minor);
    if (e > 0) {
      minor += sb;
      e -= len;
    }
    emit(major, minor);
  }
}

// Walks the line from (x1, y1) to (x2, y2), both ends included; plot receives (x, y). x is the
// major axis only when it is strictly longer, so a diagonal steps along y.
template <bool Smooth, bool Clip, typename Plot>
void walk_line(LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, LONGINT width, LONGINT height,
               Plot plot) {
  const coord dx = std::abs(coord{x1} - x2);
  const coord dy = std::abs(coord{y1} - y2);
  const coord sx = x1 < x2 ? 1 : -1;
  const coord sy = y1 < y2 ? 1 : -1;
  if (dx > dy) {
    walk_major<Smooth, Clip>(x1, y1, sx, sy, dx, dy, width, height, plot);
  } else {
    walk_major<Smooth, Clip>(y1, x1, sy, sx, dy, dx, height, width,
                             [&](coord y, coord x) { plot(x, y); });
  }
}

// Draws an unclipped line: the straight walk when both ends lie inside the window (every point
// of the walk lies in the box of its ends), otherwise only the part inside.
template <bool Smooth, typename Plot>
void walk_unclipped(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, Plot plot) {
  const bool ok = inside(vw, x1, y1) && inside(vw, x2, y2);
  assert(ok && "unclipped line leaves the window");
  if (ok) {
    walk_line<Smooth, false>(x1, y1, x2, y2, vw.BREITE, vw.HOEHE, plot);
  } else {
    walk_line<Smooth, true>(x1, y1, x2, y2, vw.BREITE, vw.HOEHE, plot);
  }
}

// Circles up to this radius run every step; larger ones only the steps that can be seen.
constexpr LONGINT small_circle = 512;

// ---- the midpoint circle started at any step ----------------------------------------------------
//
// With Y = -y, the loop keeps d = 2(x+1)^2 + Y^2 + (Y-1)^2 - 2R^2 and lowers Y exactly when
// d >= 0. By induction over the steps it visits, Y at step x is the largest Y >= 0 with
// Y^2 + (Y-1)^2 < 2R^2 - 2x^2 (Y = R at x = 0), and it visits x exactly while that Y is at least
// x. So the state at any step, and the range of steps where one of the eight points lies in a
// window, follow from integer square roots: a far circle costs what its visible arcs cost.

using wide = orla::detail::int128;

// Y^2 + (Y-1)^2.
wide pair_square(coord y) {
  return static_cast<wide>(y) * y + static_cast<wide>(y - 1) * (y - 1);
}

// The largest x >= 0 whose step has Y >= target (target >= 1), or -1: 2x^2 < 2R^2 - pair_square.
coord last_step_reaching(coord radius, coord target) {
  const wide k = 2 * static_cast<wide>(radius) * radius - pair_square(target);
  if (k <= 0) return -1;
  return floor_sqrt((k - 1) / 2);
}

// Y at step x (x visited, radius >= 1).
coord y_at_step(coord radius, coord x) {
  if (x == 0) return radius;
  const wide t = 2 * static_cast<wide>(radius) * radius - 2 * static_cast<wide>(x) * x;
  // Y < (1 + sqrt(2t - 1)) / 2: an estimate, then the exact test
  coord y = (1 + floor_sqrt(2 * t - 1)) / 2;
  while (y > 0 && pair_square(y) >= t) --y;
  while (pair_square(y + 1) < t) ++y;
  return y;
}

// The last step the loop visits (radius >= 1): the largest x with Y >= x, that is with
// 4x^2 - 2x + 1 < 2R^2.
coord last_visited_step(coord radius) {
  const wide limit = 2 * static_cast<wide>(radius) * radius;
  auto reaches = [&](coord x) { return 4 * static_cast<wide>(x) * x - 2 * x + 1 < limit; };
  auto x = static_cast<coord>(static_cast<long double>(radius) / std::sqrt(2.0L));
  while (x > 0 && !reaches(x)) --x;
  while (reaches(x + 1)) ++x;
  return x;
}

// Runs the midpoint iteration over steps from..to only (within the visited steps).
template <typename Visit>
void midpoint_circle_steps(coord radius, coord from, coord to, Visit visit) {
  coord x = from;
  coord y = -y_at_step(radius, from);
  const wide d_wide = 2 * static_cast<wide>(x + 1) * (x + 1) + pair_square(-y) -
                      2 * static_cast<wide>(radius) * radius;
  midpoint_circle_from(x, y, static_cast<coord>(d_wide), to, visit);
}

// A closed range of steps; empty when first > last.
struct step_range {
  coord first;
  coord last;
};

// The steps where a point whose coordinate along an axis is base + sign * x lies in [0, size).
step_range steps_by_x(coord base, coord sign, LONGINT size) {
  if (sign > 0) return {-base, coord{size} - 1 - base};
  return {base - (coord{size} - 1), base};
}

// The steps where a point whose coordinate is base + sign * Y lies in [0, size): Y within
// [lo, hi], and Y falls as the steps go on.
step_range steps_by_y(coord radius, coord base, coord sign, LONGINT size) {
  coord lo = sign > 0 ? -base : base - (coord{size} - 1);
  coord hi = sign > 0 ? coord{size} - 1 - base : base;
  if (lo > hi || hi < 0) return {1, 0};
  lo = std::max<coord>(lo, 1);  // Y >= x >= 0 at every visited step; Y >= 1 past step 0
  const coord first = hi >= radius ? 0 : last_step_reaching(radius, hi + 1) + 1;
  const coord last = lo <= 1 ? std::numeric_limits<coord>::max() : last_step_reaching(radius, lo);
  return {first, last};
}

// The steps at which a point of the circle lies in a window of width x height: the point
// whose coordinates are (cx + sign_x * x, cy + sign_y * Y), or with swapped set
// (cx + sign_y * Y, cy + sign_x * x). Both coordinates follow from the step exactly, so the
// range holds every step at which the point is inside and no other.
step_range point_steps(coord cx, coord cy, coord radius, coord sign_x, coord sign_y, bool swapped,
                       LONGINT width, LONGINT height, coord end) {
  const step_range along = swapped ? steps_by_x(cy, sign_x, height) : steps_by_x(cx, sign_x, width);
  const step_range across =
      swapped ? steps_by_y(radius, cx, sign_y, width) : steps_by_y(radius, cy, sign_y, height);
  return {std::max({along.first, across.first, coord{0}}),
          std::min({along.last, across.last, end})};
}

// Plots (cx - dx, row) and (cx + dx, row) if they lie inside the window.
inline void plot_pair(VIRTUALWINDOW& vw, coord cx, coord dx, coord row, WORD colour) {
  if (!in_range(row, vw.HOEHE)) return;
  WORD* line = vw.DATA + static_cast<std::ptrdiff_t>(row) * vw.BREITE;
  if (in_range(cx - dx, vw.BREITE)) line[cx - dx] = colour;
  if (in_range(cx + dx, vw.BREITE)) line[cx + dx] = colour;
}

}  // namespace

coord floor_sqrt(wide v) {
  auto n = static_cast<coord>(std::sqrt(static_cast<long double>(v)));
  while (n > 0 && static_cast<wide>(n) * n > v) --n;
  while (static_cast<wide>(n + 1) * (n + 1) <= v) ++n;
  return n;
}

}  // namespace detail

using detail::coord;

void ALPHALIGHTHORZLINE(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, LONGINT count, WORD dr, WORD dg,
                        WORD db) {
  if (count < 1) return;
  coord first = x;
  coord last = coord{x} + count - 1;
  const bool ok = detail::in_range(y, vw.HOEHE) && first >= 0 && last < vw.BREITE;
  assert(ok && "ALPHALIGHTHORZLINE: span outside the window");
  if (!ok) {
    if (!detail::in_range(y, vw.HOEHE)) return;
    first = std::max<coord>(first, 0);
    last = std::min<coord>(last, coord{vw.BREITE} - 1);
  }
  WORD* p = detail::at(vw, first, y);
  for (coord i = first; i <= last; ++i, ++p) *p = detail::lighten(*p, dr, dg, db);
}

void ALPHALIGHTLINE(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD dr,
                    WORD dg, WORD db) {
  detail::walk_unclipped<false>(vw, x1, y1, x2, y2, [&](coord x, coord y) {
    WORD* p = detail::at(vw, x, y);
    *p = detail::lighten(*p, dr, dg, db);
  });
}

void LINEVERT(VIRTUALWINDOW& vw, LONGINT x, LONGINT ya, LONGINT yb, WORD colour) {
  if (ya == yb) return;  // kept: equal ends draw nothing, as in LINEHORZ
  coord top = std::min(ya, yb);
  coord bottom = std::max(ya, yb);
  const bool ok = detail::in_range(x, vw.BREITE) && top >= 0 && bottom < vw.HOEHE;
  assert(ok && "LINEVERT: span outside the window");
  if (!ok) {
    if (!detail::in_range(x, vw.BREITE)) return;
    top = std::max<coord>(top, 0);
    bottom = std::min<coord>(bottom, coord{vw.HOEHE} - 1);
  }
  WORD* p = detail::at(vw, x, top);
  for (coord i = top; i <= bottom; ++i, p += vw.BREITE) *p = colour;
}

void LINE(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD r, WORD g,
          WORD b) {
  const WORD colour = orla::PACK(r, g, b);
  detail::walk_unclipped<false>(vw, x1, y1, x2, y2,
                                [&](coord x, coord y) { *detail::at(vw, x, y) = colour; });
}

void LINESMOOTHER(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD r, WORD g,
                  WORD b) {
  const WORD colour = orla::PACK(r, g, b);
  detail::walk_unclipped<true>(vw, x1, y1, x2, y2,
                               [&](coord x, coord y) { *detail::at(vw, x, y) = colour; });
}

void LINECLIPPED(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD colour) {
  detail::walk_line<false, true>(x1, y1, x2, y2, vw.BREITE, vw.HOEHE,
                                 [&](coord x, coord y) { *detail::at(vw, x, y) = colour; });
}

void LINECLIPPEDVW(WORD* buffer, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD colour) {
  detail::walk_line<false, true>(
      x1, y1, x2, y2, orla::DD_BREITE, orla::DD_HOEHE,
      [&](coord x, coord y) { *detail::at_screen(buffer, x, y) = colour; });
}

void RECTANGLE(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD r, WORD g,
               WORD b) {
  // Only the part of each side inside the window is visited: the same pixels as testing every
  // point of the outline, at a cost bounded by the window.
  const WORD colour = orla::PACK(r, g, b);
  const coord left = std::max<coord>(std::min(x1, x2), 0);
  const coord right = std::min<coord>(std::max(x1, x2), coord{vw.BREITE} - 1);
  if (left <= right) {
    for (const coord y : {coord{y1}, coord{y2}}) {
      if (detail::in_range(y, vw.HOEHE))
        std::fill_n(detail::at(vw, left, y), right - left + 1, colour);
    }
  }
  const coord top = std::max<coord>(std::min(y1, y2), 0);
  const coord bottom = std::min<coord>(std::max(y1, y2), coord{vw.HOEHE} - 1);
  for (const coord x : {coord{x1}, coord{x2}}) {
    if (!detail::in_range(x, vw.BREITE)) continue;
    WORD* p = detail::at(vw, x, top);
    for (coord y = top; y <= bottom; ++y, p += vw.BREITE) *p = colour;
  }
}

void CIRCLE(VIRTUALWINDOW& vw, LONGINT cx, LONGINT cy, LONGINT radius, WORD r, WORD g, WORD b) {
  const WORD colour = orla::PACK(r, g, b);
  auto plot_eight = [&](coord x, coord y) {
    detail::plot_pair(vw, cx, x, coord{cy} + y, colour);
    detail::plot_pair(vw, cx, x, coord{cy} - y, colour);
    detail::plot_pair(vw, cx, y, coord{cy} + x, colour);
    detail::plot_pair(vw, cx, y, coord{cy} - x, colour);
  };
  if (radius <= detail::small_circle) {
    detail::midpoint_circle(radius, plot_eight);
    return;
  }
  // A large circle: each of the eight points is drawn only over the steps at which it falls in
  // the window, each run started from the state the whole iteration would have there, so the
  // pixels are the same at a cost of the pixels seen.
  const coord end = detail::last_visited_step(radius);
  for (const coord sign_x : {coord{1}, coord{-1}})
    for (const coord sign_y : {coord{1}, coord{-1}})
      for (const bool swapped : {false, true}) {
        const detail::step_range steps =
            detail::point_steps(cx, cy, radius, sign_x, sign_y, swapped, vw.BREITE, vw.HOEHE, end);
        if (steps.first > steps.last) continue;
        detail::midpoint_circle_steps(radius, steps.first, steps.last, [&](coord x, coord y) {
          const coord along = sign_x * x, across = -sign_y * y;  // y = -Y
          if (swapped)
            detail::plot_clipped(vw, coord{cx} + across, coord{cy} + along, colour);
          else
            detail::plot_clipped(vw, coord{cx} + along, coord{cy} + across, colour);
        });
      }
}

void FULLCIRCLE(VIRTUALWINDOW& vw, LONGINT cx, LONGINT cy, LONGINT radius, WORD colour) {
  detail::midpoint_circle(radius, [&](coord x, coord y) {
    detail::span(vw, cx - x, cx + x, coord{cy} + y, colour);
    detail::span(vw, cx - x, cx + x, coord{cy} - y, colour);
    detail::span(vw, cx - y, cx + y, coord{cy} + x, colour);
    detail::span(vw, cx - y, cx + y, coord{cy} - x, colour);
  });
}

void FINECIRCLE(VIRTUALWINDOW& vw, std::int16_t cx, std::int16_t cy, std::int16_t radius, WORD r,
                WORD g, WORD b, REAL step) {
  const WORD colour = orla::PACK(r, g, b);
  const long double r2 = static_cast<long double>(radius) * radius;
  REAL x = radius;
  while (true) {
    // h is a REAL: the root is taken in extended precision and stored as a double before it is
    // cut, so a root just below a whole number that rounds up to it is cut to that number
    const REAL h =
        static_cast<REAL>(std::sqrt(std::max(0.0L, r2 - static_cast<long double>(x) * x)));
    const coord hx = static_cast<coord>(std::trunc(x));
    const coord hy = static_cast<coord>(std::trunc(h));
    detail::plot_clipped(vw, cx + hx, cy - hy, colour);
    detail::plot_clipped(vw, cx + hx, cy + hy, colour);
    detail::plot_clipped(vw, cx - hx, cy - hy, colour);
    detail::plot_clipped(vw, cx - hx, cy + hy, colour);
    const REAL next = x - step;
    // changed: a step that does not move x (zero, negative, not a number, or too small to
    // change it) used to loop for ever; the outline stops instead.
    assert(next < x && "FINECIRCLE: step must be positive");
    if (!(next < x) || next <= 0) break;
    x = next;
  }
}

}  // namespace orla_2d
