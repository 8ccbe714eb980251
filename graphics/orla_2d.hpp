// orla_2d: drawing primitives: pixels, spans, lines, circles, rectangles and additive light.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "orla.hpp"

namespace orla_2d {

using orla::BYTE;
using orla::DWORD;
using orla::LONGINT;
using orla::REAL;
using orla::SHORTINT;
using orla::VIRTUALWINDOW;
using orla::WORD;

// changed: the unclipped routines (no CLIPPED in the name, and ALPHA) used to write wherever
// their coordinates pointed, so one stray coordinate corrupted the memory around the buffer.
// Each now makes one bounds test per pixel, per span or per line: an assertion reports the
// caller's mistake in debug and sanitizer builds, and release builds drop (or clamp away) what
// lies outside instead of touching memory beyond the buffer.
namespace detail {

// Coordinates widened so that shape arithmetic on extreme arguments cannot overflow.
using coord = std::int64_t;

// True when 0 <= v < size; a negative v compares as a huge unsigned value.
// changed: tested against the size rather than size - 1, so an empty window holds no pixel.
inline bool in_range(coord v, LONGINT size) {
  return static_cast<std::uint64_t>(v) < static_cast<std::uint64_t>(static_cast<DWORD>(size));
}

// True when (x, y) is a pixel of the window.
inline bool inside(const VIRTUALWINDOW& vw, coord x, coord y) {
  return in_range(x, vw.BREITE) && in_range(y, vw.HOEHE);
}

// True when (x, y) is a pixel of a screen-sized raw buffer.
inline bool inside_screen(coord x, coord y) {
  return in_range(x, orla::DD_BREITE) && in_range(y, orla::DD_HOEHE);
}

// Address of pixel (x, y) of the window; the caller has checked the coordinates.
inline WORD* at(const VIRTUALWINDOW& vw, coord x, coord y) {
  return vw.DATA + static_cast<std::ptrdiff_t>(y) * vw.BREITE + x;
}

// Address of pixel (x, y) of a screen-sized raw buffer; the caller has checked the coordinates.
inline WORD* at_screen(WORD* buffer, coord x, coord y) {
  return buffer + static_cast<std::ptrdiff_t>(y) * orla::DD_BREITE + x;
}

// The pixel brightened by unsigned deltas, each component limited to its maximum.
inline WORD lighten(WORD pixel, unsigned dr, unsigned dg, unsigned db) {
  const unsigned r = std::min(31u, orla::detail::red_of(pixel) + dr);
  const unsigned g = std::min(63u, orla::detail::green_of(pixel) + dg);
  const unsigned b = std::min(31u, orla::detail::blue_of(pixel) + db);
  return static_cast<WORD>((r << 11) | (g << 5) | b);
}

// Fills the span between xa and xb (in either order) on row y; equal ends draw nothing.
// The unclipped span: out-of-window parts are a caller error and are clamped away.
inline void span(VIRTUALWINDOW& vw, coord xa, coord xb, coord y, WORD colour) {
  if (xa == xb) return;  // kept: an empty span, which shapes the discs of FULLCIRCLE
  if (xa > xb) std::swap(xa, xb);
  const bool ok = in_range(y, vw.HOEHE) && xa >= 0 && xb < vw.BREITE;
  assert(ok && "LINEHORZ: span outside the window");
  if (!ok) {
    if (!in_range(y, vw.HOEHE)) return;
    xa = std::max<coord>(xa, 0);
    xb = std::min<coord>(xb, coord{vw.BREITE} - 1);
    if (xa > xb) return;
  }
  std::fill_n(at(vw, xa, y), xb - xa + 1, colour);
}

// Runs the integer midpoint circle iteration: visit(x, y) once per step, x counting up from 0
// and y from -radius towards 0, while -y >= x. Every circle and disc of the library and the
// program is laid by these steps.
template <typename Visit>
void midpoint_circle(coord radius, Visit visit);

// The same iteration from the state (x, y, d) of a step, up to step `last`.
template <typename Visit>
void midpoint_circle_from(coord x, coord y, coord d, coord last, Visit visit) {
  while (-y >= x && x <= last) {
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

template <typename Visit>
void midpoint_circle(coord radius, Visit visit) {
  midpoint_circle_from(0, -radius, 3 - 2 * radius, std::numeric_limits<coord>::max(), visit);
}

// The largest n >= 0 with n^2 <= v (v >= 0).
coord floor_sqrt(orla::detail::int128 v);

// Writes one pixel when it lies inside the window.
inline void plot_clipped(VIRTUALWINDOW& vw, coord x, coord y, WORD colour) {
  if (inside(vw, x, y)) *at(vw, x, y) = colour;
}

// Fills row y from x1 to x2 (either order, both ends drawn), cut to the window: the same pixels
// as a per-pixel clipped walk, clamped once.
inline void clipped_span(VIRTUALWINDOW& vw, coord x1, coord x2, coord y, WORD colour) {
  if (y < 0 || y > vw.HOEHEMINUS1) return;
  if (x1 > x2) std::swap(x1, x2);
  if (x2 < 0 || x1 > vw.BREITEMINUS1) return;
  x1 = std::max<coord>(x1, 0);
  x2 = std::min<coord>(x2, vw.BREITEMINUS1);
  std::fill_n(vw.DATA + y * vw.BREITE + x1, x2 - x1 + 1, colour);
}

}  // namespace detail

// ---- single pixels --------------------------------------------------------------------------

// Writes a colour at (x, y); the caller keeps (x, y) inside the window.
inline void PUTPACKEDPIXEL(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD colour) {
  const bool ok = detail::inside(vw, x, y);
  assert(ok && "PUTPACKEDPIXEL: pixel outside the window");
  if (ok) *detail::at(vw, x, y) = colour;
}

// Writes the packed components at (x, y); the caller keeps (x, y) inside the window.
inline void PUTPIXEL(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b) {
  const bool ok = detail::inside(vw, x, y);
  assert(ok && "PUTPIXEL: pixel outside the window");
  if (ok) *detail::at(vw, x, y) = orla::PACK(r, g, b);
}

// Reads the pixel at (x, y); the caller keeps (x, y) inside the window.
inline WORD GETPACKEDPIXEL(const VIRTUALWINDOW& vw, LONGINT x, LONGINT y) {
  const bool ok = detail::inside(vw, x, y);
  assert(ok && "GETPACKEDPIXEL: pixel outside the window");
  return ok ? *detail::at(vw, x, y) : WORD{0};
}

// Reads the pixel at (x, y) as components; the caller keeps (x, y) inside the window.
inline void GETPIXEL(const VIRTUALWINDOW& vw, LONGINT x, LONGINT y, BYTE& r, BYTE& g, BYTE& b) {
  const bool ok = detail::inside(vw, x, y);
  assert(ok && "GETPIXEL: pixel outside the window");
  const WORD p = ok ? *detail::at(vw, x, y) : WORD{0};
  r = static_cast<BYTE>(orla::detail::red_of(p));
  g = static_cast<BYTE>(orla::detail::green_of(p));
  b = static_cast<BYTE>(orla::detail::blue_of(p));
}

// Writes a colour at (x, y) if that pixel lies inside the window.
inline void PUTPACKEDCLIPPEDPIXEL(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD colour) {
  detail::plot_clipped(vw, x, y, colour);
}

// Writes the packed components at (x, y) if that pixel lies inside the window.
inline void PUTCLIPPEDPIXEL(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b) {
  detail::plot_clipped(vw, x, y, orla::PACK(r, g, b));
}

// Writes a colour at (x, y) of a screen-sized raw buffer if the pixel lies on the screen.
inline void PUTPACKEDCLIPPEDPIXELVW(WORD* buffer, LONGINT x, LONGINT y, WORD colour) {
  if (detail::inside_screen(x, y)) *detail::at_screen(buffer, x, y) = colour;
}

// Reads the pixel at (x, y), or 0 outside the window.
inline WORD GETPACKEDCLIPPEDPIXEL(const VIRTUALWINDOW& vw, LONGINT x, LONGINT y) {
  return detail::inside(vw, x, y) ? *detail::at(vw, x, y) : WORD{0};
}

// Reads the pixel at (x, y) as components, or 0, 0, 0 outside the window.
inline void GETCLIPPEDPIXEL(const VIRTUALWINDOW& vw, LONGINT x, LONGINT y, BYTE& r, BYTE& g,
                            BYTE& b) {
  const WORD p = GETPACKEDCLIPPEDPIXEL(vw, x, y);
  r = static_cast<BYTE>(orla::detail::red_of(p));
  g = static_cast<BYTE>(orla::detail::green_of(p));
  b = static_cast<BYTE>(orla::detail::blue_of(p));
}

// ---- additive light -------------------------------------------------------------------------

// Adds the deltas to the components of (x, y), each limited to its maximum; unclipped.
inline void ALPHALIGHT(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD dr, WORD dg, WORD db) {
  const bool ok = detail::inside(vw, x, y);
  assert(ok && "ALPHALIGHT: pixel outside the window");
  if (!ok) return;
  WORD* p = detail::at(vw, x, y);
  *p = detail::lighten(*p, dr, dg, db);
}

// As ALPHALIGHT for a pixel inside the window; nothing outside.
inline void ALPHALIGHTCLIPPED(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD dr, WORD dg, WORD db) {
  if (!detail::inside(vw, x, y)) return;
  WORD* p = detail::at(vw, x, y);
  *p = detail::lighten(*p, dr, dg, db);
}

// As ALPHALIGHTCLIPPED with the three deltas taken from one packed colour.
inline void ALPHALIGHTCLIPPEDPACKED(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD delta) {
  ALPHALIGHTCLIPPED(vw, x, y, orla::detail::red_of(delta), orla::detail::green_of(delta),
                    orla::detail::blue_of(delta));
}

// Adds signed deltas to pixel (x, y) of a screen-sized raw buffer, each component limited to
// 0 and its maximum; unclipped.
inline void ALPHA(WORD* buffer, LONGINT x, LONGINT y, SHORTINT dr, SHORTINT dg, SHORTINT db) {
  const bool ok = detail::inside_screen(x, y);
  assert(ok && "ALPHA: pixel outside the screen buffer");
  if (!ok) return;
  WORD* p = detail::at_screen(buffer, x, y);
  const int r = std::clamp(orla::detail::red_of(*p) + dr, 0, 31);
  const int g = std::clamp(orla::detail::green_of(*p) + dg, 0, 63);
  const int b = std::clamp(orla::detail::blue_of(*p) + db, 0, 31);
  *p = static_cast<WORD>((r << 11) | (g << 5) | b);
}

// Brightens count pixels from (x, y) to the right; unclipped.
void ALPHALIGHTHORZLINE(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, LONGINT count, WORD dr, WORD dg,
                        WORD db);
// Brightens the pixels of the 8-connected line from (x1, y1) to (x2, y2); unclipped.
void ALPHALIGHTLINE(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD dr,
                    WORD dg, WORD db);

// ---- spans, lines and rectangles ------------------------------------------------------------

// Fills row y from xa to xb (either order); nothing when xa = xb; unclipped.
inline void LINEHORZ(VIRTUALWINDOW& vw, LONGINT xa, LONGINT xb, LONGINT y, WORD colour) {
  detail::span(vw, xa, xb, y, colour);
}

// Fills column x from ya to yb (either order); nothing when ya = yb; unclipped.
void LINEVERT(VIRTUALWINDOW& vw, LONGINT x, LONGINT ya, LONGINT yb, WORD colour);

// 8-connected line from (x1, y1) to (x2, y2), both ends drawn; unclipped.
void LINE(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD r, WORD g,
          WORD b);
// 4-connected line from (x1, y1) to (x2, y2), both ends drawn; unclipped.
void LINESMOOTHER(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD r, WORD g,
                  WORD b);
// 8-connected line; only its pixels inside the window are drawn.
void LINECLIPPED(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD colour);
// 8-connected line into a screen-sized raw buffer; only its pixels on the screen are drawn.
void LINECLIPPEDVW(WORD* buffer, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD colour);

// One-pixel outline of the rectangle with corners (x1, y1) and (x2, y2), clipped.
void RECTANGLE(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, WORD r, WORD g,
               WORD b);

// ---- circles --------------------------------------------------------------------------------

// One-pixel midpoint circle outline about (cx, cy), clipped.
void CIRCLE(VIRTUALWINDOW& vw, LONGINT cx, LONGINT cy, LONGINT radius, WORD r, WORD g, WORD b);
// Filled disc of horizontal spans about (cx, cy); unclipped.
void FULLCIRCLE(VIRTUALWINDOW& vw, LONGINT cx, LONGINT cy, LONGINT radius, WORD colour);
// Circle outline sampled every step along x, clipped.
void FINECIRCLE(VIRTUALWINDOW& vw, std::int16_t cx, std::int16_t cy, std::int16_t radius, WORD r,
                WORD g, WORD b, REAL step);

// ---- thick strokes (orla_2d_stroke.cpp) ----------------------------------------------------

namespace detail {

// A rectangle of pixel positions, both edges included.
struct pixel_box {
  coord left;
  coord top;
  coord right;
  coord bottom;
};

// One row's run of a thick stroke, its columns not yet cut to a window.
struct stroke_run {
  coord row;
  coord left;
  coord right;
};

// The working memory of stroke_runs, kept by the caller from one stroke to the next so that a
// stroke allocates nothing: the disc's half-widths for the last radius, the centres per row.
struct stroke_scratch {
  coord half_width[256] = {};
  coord half_width_radius = -1;
  std::vector<coord> run_left, run_right;
};

// Appends the runs of the thick stroke from (x1, y1) to (x2, y2) on the rows of the box: one
// disc of radius width - 1 per pixel of length, without the start point, as the per-pixel
// method stamps them, each run cut to the box.
void stroke_runs(coord x1, coord y1, coord x2, coord y2, BYTE width, const pixel_box& box,
                 stroke_scratch& scratch, std::vector<stroke_run>& runs);
// Fills the runs moved by offset on both axes, cut to the window.
void fill_runs(VIRTUALWINDOW& vw, const std::vector<stroke_run>& runs, coord offset, WORD colour);

}  // namespace detail

}  // namespace orla_2d
