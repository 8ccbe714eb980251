// orla_2d: drawing primitives: the line walker, circles, rectangles and the longer spans.
#include "orla_2d.hpp"

#include <cmath>
#include <cstdlib>

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

// Runs the integer midpoint circle iteration: visit(x, y) once per step, x counting up from 0
// and y from -radius towards 0, while -y >= x.
template <typename Visit>
void midpoint_circle(LONGINT radius, Visit visit) {
  coord x = 0;
  coord y = -coord{radius};
  coord d = 3 - 2 * coord{radius};
  while (-y >= x) {
    visit(x, y);
    if (d >= 0) {
      ++y;
      d += 4 * (x + y) + 6;
    } else {
      d += 4 * x + 6;
    }
    ++x;
  }
}

// Plots (cx - dx, row) and (cx + dx, row) if they lie inside the window.
inline void plot_pair(VIRTUALWINDOW& vw, coord cx, coord dx, coord row, WORD colour) {
  if (!in_range(row, vw.HOEHE)) return;
  WORD* line = vw.DATA + static_cast<std::ptrdiff_t>(row) * vw.BREITE;
  if (in_range(cx - dx, vw.BREITE)) line[cx - dx] = colour;
  if (in_range(cx + dx, vw.BREITE)) line[cx + dx] = colour;
}

}  // namespace
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
  detail::midpoint_circle(radius, [&](coord x, coord y) {
    detail::plot_pair(vw, cx, x, coord{cy} + y, colour);
    detail::plot_pair(vw, cx, x, coord{cy} - y, colour);
    detail::plot_pair(vw, cx, y, coord{cy} + x, colour);
    detail::plot_pair(vw, cx, y, coord{cy} - x, colour);
  });
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
    const long double h = std::sqrt(std::max(0.0L, r2 - static_cast<long double>(x) * x));
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
