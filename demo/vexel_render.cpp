// vexel: drawing the elements of the figure and their shadows into the scene layer.
#include <cmath>

#include "orla_2d.hpp"
#include "vexel.hpp"

namespace vexel {

WORD RGBTOCOL[32][64][32];

void FILL_RGBTOCOLOR() {
  // each entry is what PUTPIXEL stores for the triple: the plain 5-6-5 packing
  for (int r = 0; r < 32; ++r)
    for (int g = 0; g < 64; ++g)
      for (int b = 0; b < 32; ++b) RGBTOCOL[r][g][b] = orla::PACK(r, g, b);
}

namespace {

WORD colour_of(BYTE r, BYTE g, BYTE b) { return orla::PACK(r, g, b); }
const WORD shadow_colour = orla::PACK(shadow_r, shadow_g, shadow_b);

// A clipped span in packed colour: the same pixels as a per-pixel clipped walk, clamped once.
void clipped_span(orla::VIRTUALWINDOW& vw, std::int64_t x1, std::int64_t x2, std::int64_t y,
                  WORD colour) {
  if (y < 0 || y > vw.HOEHEMINUS1) return;
  if (x1 > x2) std::swap(x1, x2);
  if (x2 < 0 || x1 > vw.BREITEMINUS1) return;
  x1 = std::max<std::int64_t>(x1, 0);
  x2 = std::min<std::int64_t>(x2, vw.BREITEMINUS1);
  std::fill_n(vw.DATA + y * vw.BREITE + x1, x2 - x1 + 1, colour);
}

void clipped_disc(orla::VIRTUALWINDOW& vw, std::int64_t cx, std::int64_t cy, std::int64_t radius,
                  WORD colour) {
  if (radius < 0) return;
  // the whole disc misses the window: nothing to draw
  if (cx + radius < 0 || cy + radius < 0 || cx - radius > vw.BREITEMINUS1 ||
      cy - radius > vw.HOEHEMINUS1)
    return;
  std::int64_t x = 0, y = -radius, d = 3 + 2 * y;
  while (-y >= x) {
    clipped_span(vw, cx - x, cx + x, cy + y, colour);
    clipped_span(vw, cx - x, cx + x, cy - y, colour);
    clipped_span(vw, cx + y, cx - y, cy + x, colour);
    clipped_span(vw, cx + y, cx - y, cy - x, colour);
    if (d >= 0) {
      ++y;
      d += 4 * (x + y) + 6;
    } else {
      d += 4 * x + 6;
    }
    ++x;
  }
}

// The range of stamp indices i in 1..L whose disc centre can lie in the window grown by the
// disc radius (plus one pixel for the rounding of the centre). The centres move monotonically
// along the stroke, so this range holds every disc that can touch the window.
bool stamp_range(std::int64_t x1, std::int64_t y1, std::int64_t dx, std::int64_t dy,
                 std::int64_t length, std::int64_t grow, const orla::VIRTUALWINDOW& vw,
                 std::int64_t& first, std::int64_t& last) {
  long double lo = 0.0L, hi = static_cast<long double>(length);
  auto clip = [&](long double start, long double delta, long double min, long double max) {
    // start + delta * i / length within [min, max]
    if (delta == 0) return start >= min && start <= max;
    long double a = (min - start) * length / delta, b = (max - start) * length / delta;
    if (a > b) std::swap(a, b);
    lo = std::max(lo, a);
    hi = std::min(hi, b);
    return lo <= hi;
  };
  const long double g = static_cast<long double>(grow + 1);
  if (!clip(x1, dx, -g, vw.BREITEMINUS1 + g) || !clip(y1, dy, -g, vw.HOEHEMINUS1 + g))
    return false;
  first = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::floor(lo)) - 1);
  last = std::min<std::int64_t>(length, static_cast<std::int64_t>(std::ceil(hi)) + 1);
  return first <= last;
}

void bold_line(orla::VIRTUALWINDOW& vw, std::int64_t x1, std::int64_t y1, std::int64_t x2,
               std::int64_t y2, BYTE width, WORD colour) {
  const std::int64_t dx = x2 - x1, dy = y2 - y1;
  // changed: the length in floating point (the squares of far end points overflow 32 bits) and
  // only the stamps that can touch the window are made; the pixels drawn are the same
  const long double length_real =
      std::sqrt(static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy);
  const auto length = static_cast<std::int64_t>(std::nearbyint(length_real));
  if (length <= 0) return;
  const std::int64_t radius = static_cast<std::int64_t>(width) - 1;
  std::int64_t first = 0, last = -1;
  if (!stamp_range(x1, y1, dx, dy, length, radius, vw, first, last)) return;
  for (std::int64_t i = first; i <= last; ++i) {
    const long double f = static_cast<long double>(i) / length;
    const auto cx = x1 + static_cast<std::int64_t>(std::nearbyint(dx * f));
    const auto cy = y1 + static_cast<std::int64_t>(std::nearbyint(dy * f));
    clipped_disc(vw, cx, cy, radius, colour);
  }
}

// A stroke of the given width: thin strokes by the library's clipped line.
void stroke(LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, unsigned width, WORD colour) {
  if (width == 1)
    orla_2d::LINECLIPPED(SPRITE01, x1, y1, x2, y2, colour);
  else
    bold_line(SPRITE01, x1, y1, x2, y2, static_cast<BYTE>(width & 0xFF), colour);
}

void draw_point(BYTE i, LONGINT offset, WORD colour) {
  auto& p = PONT[i];
  if (!p.LATSZIK || !p.LETEZIK) return;
  PONT_SZAMOL(i);
  if (!p.LETEZIK) return;
  clipped_disc(SPRITE01, std::int64_t{p.KX} + offset, std::int64_t{p.KY} + offset, p.MERET,
               colour);
}

void draw_segment(BYTE i, LONGINT offset, bool shadow) {
  auto& s = SZAKASZ[i];
  if (!s.LATSZIK || !s.LETEZIK) return;
  LONGINT unused = 0;
  // an end too far away to hold on screen: the copy refuses it and nothing is drawn
  for (REAL v : {s.X1, s.Y1, s.X2, s.Y2})
    if (!detail::to_screen(v, unused)) {
      SZAKASZ_SZAMOL(i);
      return;
    }
  SZAKASZ_SZAMOL(i);
  // kept: a segment that collapses to one pixel is still drawn by the call that found it out
  const WORD colour = shadow ? shadow_colour : RGBTOCOL[s.R][s.G][s.B];
  stroke(s.KX1 + offset, s.KY1 + offset, s.KX2 + offset, s.KY2 + offset, s.VASTAGSAG, colour);
}

void draw_line(BYTE i, LONGINT offset, bool shadow) {
  auto& e = EGYENES[i];
  if (!e.LATSZIK || !e.LETEZIK) return;
  EGYENES_SZAMOL(i);
  if (!e.LETEZIK) return;  // end points too far away to hold on screen
  const WORD colour = shadow ? shadow_colour : RGBTOCOL[e.R][e.G][e.B];
  stroke(e.KX1 + offset, e.KY1 + offset, e.KX2 + offset, e.KY2 + offset, e.VASTAGSAG, colour);
}

void draw_circle(BYTE i, LONGINT offset, bool shadow) {
  auto& k = KOR[i];
  if (!k.LATSZIK || !k.LETEZIK) return;
  KOR_SZAMOL(i);
  if (!k.LETEZIK) return;
  const BYTE r = shadow ? shadow_r : k.R, g = shadow ? shadow_g : k.G, b = shadow ? shadow_b : k.B;
  const LONGINT cx = k.KX + offset, cy = k.KY + offset;
  orla_2d::CIRCLE(SPRITE01, cx, cy, k.KSUGAR, r, g, b);
  // rings grow alternately outwards and inwards: R, R+1, R-1, R+2, ...
  for (BYTE ring = 1; k.VASTAGSAG > 1 && ring <= k.VASTAGSAG - 1; ++ring) {
    const LONGINT radius = PAROS(ring) ? k.KSUGAR - ring / 2 : k.KSUGAR + ring / 2 + 1;
    orla_2d::CIRCLE(SPRITE01, cx, cy, radius, r, g, b);
    if (ring == 255) break;  // kept: the ring counter is a byte
  }
}

void draw_parabola(BYTE i, LONGINT offset, bool shadow) {
  auto& q = PARABOLA[i];
  if (!q.LATSZIK || !q.LETEZIK) return;
  const WORD colour = shadow ? shadow_colour : RGBTOCOL[q.R][q.G][q.B];
  const long double p = q.P;
  const long double c = q.FY - p / 2;
  const auto n = 6 * static_cast<std::int64_t>(std::nearbyint(std::fabs(q.P))) + 50;
  const auto step = static_cast<std::int64_t>(std::nearbyint(std::fabs(q.P) / 20)) + 1;
  bool have_previous = false;
  LONGINT px = 0, py = 0;
  for (std::int64_t t = -n; t <= n; t += step) {
    const long double u = q.FX + t;
    const long double v = (u - q.FX) * (u - q.FX) / (2 * p) + c;
    REAL rx = 0, ry = 0;
    FORGAT(q.SZOG, static_cast<REAL>(u), static_cast<REAL>(v), q.FX, q.FY, rx, ry);
    LONGINT x = 0, y = 0;
    // changed: a vertex too far away to hold on screen (a focus almost on its directrix)
    // breaks the polyline instead of overflowing
    if (!detail::to_screen(rx, x) || !detail::to_screen(ry, y)) {
      have_previous = false;
      continue;
    }
    x += offset;
    y += offset;
    if (have_previous) stroke(px, py, x, y, q.VASTAGSAG, colour);
    px = x;
    py = y;
    have_previous = true;
  }
}

}  // namespace

void LINECLIPPEDHORZ(orla::VIRTUALWINDOW& vw, LONGINT x1, LONGINT x2, LONGINT y, BYTE r, BYTE g,
                     BYTE b) {
  clipped_span(vw, x1, x2, y, colour_of(r, g, b));
}

void FULLCLIPPEDCIRCLE(orla::VIRTUALWINDOW& vw, LONGINT cx, LONGINT cy, LONGINT radius, BYTE r,
                       BYTE g, BYTE b) {
  clipped_disc(vw, cx, cy, radius, colour_of(r, g, b));
}

void LINECLIPPEDBOLD(orla::VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2,
                     BYTE width, BYTE r, BYTE g, BYTE b) {
  bold_line(vw, x1, y1, x2, y2, width, colour_of(r, g, b));
}

void PONTKIRAK(BYTE i) {
  const auto& p = PONT[i];
  draw_point(i, 0, colour_of(p.R, p.G, p.B));
}
void PONTARNYEKKIRAK(BYTE i) { draw_point(i, shadow_offset, shadow_colour); }
void SZAKASZKIRAK(BYTE i) { draw_segment(i, 0, false); }
void SZAKASZARNYEKKIRAK(BYTE i) { draw_segment(i, shadow_offset, true); }
void EGYENESKIRAK(BYTE i) { draw_line(i, 0, false); }
void EGYENESARNYEKKIRAK(BYTE i) { draw_line(i, shadow_offset, true); }
void KORKIRAK(BYTE i) { draw_circle(i, 0, false); }
void KORARNYEKKIRAK(BYTE i) { draw_circle(i, shadow_offset, true); }
void PARABOLAKIRAK(BYTE i) { draw_parabola(i, 0, false); }
void PARABOLAARNYEKKIRAK(BYTE i) { draw_parabola(i, shadow_offset, true); }

}  // namespace vexel
