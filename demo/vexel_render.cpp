// vexel: drawing the elements of the figure and their shadows into the scene layer.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

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

using orla_2d::detail::clipped_span;
using orla_2d::detail::fill_runs;
using orla_2d::detail::pixel_box;
using orla_2d::detail::stroke_run;
using orla_2d::detail::stroke_runs;

WORD colour_of(BYTE r, BYTE g, BYTE b) {
  return orla::PACK(r, g, b);
}
const WORD shadow_colour = orla::PACK(shadow_r, shadow_g, shadow_b);

void clipped_disc(orla::VIRTUALWINDOW& vw, std::int64_t cx, std::int64_t cy, std::int64_t radius,
                  WORD colour) {
  if (radius < 0) return;
  // the whole disc misses the window: nothing to draw
  if (cx + radius < 0 || cy + radius < 0 || cx - radius > vw.BREITEMINUS1 ||
      cy - radius > vw.HOEHEMINUS1)
    return;
  orla_2d::detail::midpoint_circle(radius, [&](std::int64_t x, std::int64_t y) {
    clipped_span(vw, cx - x, cx + x, cy + y, colour);
    clipped_span(vw, cx - x, cx + x, cy - y, colour);
    clipped_span(vw, cx + y, cx - y, cy + x, colour);
    clipped_span(vw, cx + y, cx - y, cy - x, colour);
  });
}

pixel_box box_of(const orla::VIRTUALWINDOW& vw) {
  return {0, 0, vw.BREITEMINUS1, vw.HOEHEMINUS1};
}

// The runs of one element's thick strokes, kept with what they were made from: the end points
// (or the parabola's key) and the width. The shadow draws the same runs as the element, moved,
// and a figure at rest draws them again every frame.
struct kept_runs {
  bool valid = false;
  std::uint64_t key[6] = {};
  std::vector<stroke_run> runs;

  // True when the runs were made from this key; otherwise they are cleared for it.
  bool holds(const std::uint64_t (&wanted)[6]) {
    if (valid && std::equal(wanted, wanted + 6, key)) return true;
    valid = true;
    std::copy(wanted, wanted + 6, key);
    runs.clear();
    return false;
  }
};

// One stroke of a parabola's polyline, between two samples in screen integers.
struct polyline_stroke {
  LONGINT x1;
  LONGINT y1;
  LONGINT x2;
  LONGINT y2;
};

// The strokes of a parabola's polyline that can reach the scene layer, as computed for its
// focus, parameter, angle and width.
struct parabola_polyline {
  bool valid = false;
  std::uint64_t key[6] = {};
  std::vector<polyline_stroke> strokes;
};

// Everything the drawing keeps from one call to the next, in one place so that a run can start
// afresh (detail::reset_render_caches): the stroke's working memory, the runs of the last thick
// line of LINECLIPPEDBOLD, and per element the runs and the polyline of its last strokes.
struct render_caches {
  orla_2d::detail::stroke_scratch scratch;
  std::vector<stroke_run> bold_line_runs;
  kept_runs segments[51], lines[51], parabolas[4];
  parabola_polyline polylines[4];
};
render_caches caches;

void bold_line(orla::VIRTUALWINDOW& vw, std::int64_t x1, std::int64_t y1, std::int64_t x2,
               std::int64_t y2, BYTE width, WORD colour) {
  std::vector<stroke_run>& runs = caches.bold_line_runs;
  runs.clear();
  stroke_runs(x1, y1, x2, y2, width, box_of(vw), caches.scratch, runs);
  fill_runs(vw, runs, 0, colour);
}

// The scene layer grown by the shadow offset to the top and the left: runs made for it serve
// the element (offset 0) and its shadow (moved by the offset) alike.
pixel_box shared_box() {
  return {-shadow_offset, -shadow_offset, SPRITE01.BREITEMINUS1, SPRITE01.HOEHEMINUS1};
}

// Records the runs, moved by offset, as drawn into the scene layer: neighbouring runs of a few
// rows at a time as one box, which the record's tiles would hold in any case.
void mark_runs(const std::vector<stroke_run>& runs, LONGINT offset) {
  if (runs.empty()) return;
  stroke_run box = runs.front();
  std::int64_t bottom = box.row;
  for (const stroke_run& run : runs) {
    const bool near = run.row >= box.row && run.row < box.row + 8 && run.left <= box.right + 32 &&
                      run.right >= box.left - 32;
    if (!near) {
      detail::mark_layer_box(SPRITE01, box.left + offset, box.row + offset, box.right + offset,
                             bottom + offset);
      box = run;
      bottom = run.row;
      continue;
    }
    box.left = std::min(box.left, run.left);
    box.right = std::max(box.right, run.right);
    bottom = std::max(bottom, run.row);
  }
  detail::mark_layer_box(SPRITE01, box.left + offset, box.row + offset, box.right + offset,
                         bottom + offset);
}

// A stroke of an element or its shadow: thin strokes by the library's clipped line, thick ones
// from the element's kept runs.
void element_stroke(kept_runs& kept, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, unsigned width,
                    LONGINT offset, WORD colour) {
  if (width == 1) {
    orla_2d::LINECLIPPED(SPRITE01, x1 + offset, y1 + offset, x2 + offset, y2 + offset, colour);
    detail::mark_layer_line(SPRITE01, x1 + offset, y1 + offset, x2 + offset, y2 + offset);
    return;
  }
  const auto u = [](std::int64_t v) { return static_cast<std::uint64_t>(v); };
  const std::uint64_t key[6] = {u(x1), u(y1),        u(x2),
                                u(y2), width & 0xFF, u(SPRITE01.BREITE) << 32 | u(SPRITE01.HOEHE)};
  if (!kept.holds(key))
    stroke_runs(x1, y1, x2, y2, static_cast<BYTE>(width & 0xFF), shared_box(), caches.scratch,
                kept.runs);
  fill_runs(SPRITE01, kept.runs, offset, colour);
  mark_runs(kept.runs, offset);
}

void draw_point(BYTE i, LONGINT offset, WORD colour) {
  auto& p = PONT[i];
  if (!p.LATSZIK || !p.LETEZIK) return;
  PONT_SZAMOL(i);
  // a point too far away to hold on screen keeps existing, but its copy is refused: not drawn
  LONGINT unused = 0;
  if (!detail::to_screen(p.X, unused) || !detail::to_screen(p.Y, unused)) return;
  const std::int64_t cx = std::int64_t{p.KX} + offset, cy = std::int64_t{p.KY} + offset;
  clipped_disc(SPRITE01, cx, cy, p.MERET, colour);
  detail::mark_layer_box(SPRITE01, cx - p.MERET, cy - p.MERET, cx + p.MERET, cy + p.MERET);
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
  element_stroke(caches.segments[i], s.KX1, s.KY1, s.KX2, s.KY2, s.VASTAGSAG, offset, colour);
}

void draw_line(BYTE i, LONGINT offset, bool shadow) {
  auto& e = EGYENES[i];
  if (!e.LATSZIK || !e.LETEZIK) return;
  EGYENES_SZAMOL(i);
  if (!e.LETEZIK) return;  // end points too far away to hold on screen
  const WORD colour = shadow ? shadow_colour : RGBTOCOL[e.R][e.G][e.B];
  element_stroke(caches.lines[i], e.KX1, e.KY1, e.KX2, e.KY2, e.VASTAGSAG, offset, colour);
}

void draw_circle(BYTE i, LONGINT offset, bool shadow) {
  auto& k = KOR[i];
  if (!k.LATSZIK || !k.LETEZIK) return;
  KOR_SZAMOL(i);
  if (!k.LETEZIK) return;
  const BYTE r = shadow ? shadow_r : k.R, g = shadow ? shadow_g : k.G, b = shadow ? shadow_b : k.B;
  const LONGINT cx = k.KX + offset, cy = k.KY + offset;
  orla_2d::CIRCLE(SPRITE01, cx, cy, k.KSUGAR, r, g, b);
  detail::mark_layer_ring(SPRITE01, cx, cy, k.KSUGAR);
  // rings grow alternately outwards and inwards: R, R+1, R-1, R+2, ...
  for (BYTE ring = 1; k.VASTAGSAG > 1 && ring <= k.VASTAGSAG - 1; ++ring) {
    const LONGINT radius = PAROS(ring) ? k.KSUGAR - ring / 2 : k.KSUGAR + ring / 2 + 1;
    orla_2d::CIRCLE(SPRITE01, cx, cy, radius, r, g, b);
    detail::mark_layer_ring(SPRITE01, cx, cy, radius);
    if (ring == 255) break;  // kept: the ring counter is a byte
  }
}

std::uint64_t key_of(REAL v) {
  // memcpy, not std::bit_cast: the WebAssembly build's standard library has no bit_cast yet
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

// The strokes of parabola i that can touch the scene layer or, moved by the shadow offset,
// its shadow. A sample is rotated about the focus by FORGAT, in extended precision with
// transcendental functions; a plain rotation of the sample in double lies within 10^-4 of a
// pixel of that value for every sample that can hold on screen (the two differ by rounding
// errors of a few units of 2^-52 of coordinates below 2^31). So a stroke that misses the layer
// by more than its disc radius and two pixels by the plain rotation is drawn by neither, and
// where the plain value lies more than 2^-10 from a half pixel it rounds to the same screen
// integer; only the other samples need FORGAT itself. The strokes depend on nothing but the
// key, so they are kept while it stays bit for bit the same: the shadow and the element draw
// the same strokes, and a figure at rest draws them every frame.
const std::vector<polyline_stroke>& parabola_strokes(BYTE i) {
  const auto& q = PARABOLA[i];
  parabola_polyline& line = caches.polylines[i];
  const std::uint64_t key[6] = {key_of(q.FX),
                                key_of(q.FY),
                                key_of(q.P),
                                key_of(q.SZOG),
                                q.VASTAGSAG,
                                static_cast<std::uint64_t>(SPRITE01.BREITE) << 32 |
                                    static_cast<std::uint64_t>(SPRITE01.HOEHE)};
  if (line.valid && std::equal(key, key + 6, line.key)) return line.strokes;
  line.valid = true;
  std::copy(key, key + 6, line.key);
  line.strokes.clear();

  const long double p = q.P;
  const long double c = q.FY - p / 2;
  const auto n = 6 * static_cast<std::int64_t>(std::nearbyint(std::fabs(q.P))) + 50;
  const auto step = static_cast<std::int64_t>(std::nearbyint(std::fabs(q.P) / 20)) + 1;
  const pixel_box box = shared_box();
  const double reach = std::max(0, static_cast<int>(q.VASTAGSAG) - 1) + 2.0;
  const double cos_angle = std::cos(q.SZOG), sin_angle = std::sin(q.SZOG);

  // a sample: its parameter, its rough place after the rotation, and, once needed, its exact
  // screen place (refused when too far away to hold on screen)
  struct sample {
    std::int64_t t = 0;
    double x = 0, y = 0;
    bool exact = false, on_screen = false;
    LONGINT sx = 0, sy = 0;
  };
  const double half_p = static_cast<double>(q.P) / 2, twice_p = 2 * static_cast<double>(q.P);
  auto sample_at = [&](std::int64_t t) {
    sample s;
    s.t = t;
    const double du = static_cast<double>(t);
    const double dv = du * du / twice_p - half_p;
    s.x = q.FX + du * cos_angle - dv * sin_angle;
    s.y = q.FY + du * sin_angle + dv * cos_angle;
    return s;
  };
  auto clear_of_halves = [](double v) {
    return std::fabs(v) < 536870912.0 && std::fabs(v - std::floor(v) - 0.5) > 1.0 / 1024;
  };
  auto make_exact = [&](sample& s) {
    if (s.exact) return;
    s.exact = true;
    if (clear_of_halves(s.x) && clear_of_halves(s.y)) {
      s.on_screen = true;
      s.sx = static_cast<LONGINT>(std::lrint(s.x));
      s.sy = static_cast<LONGINT>(std::lrint(s.y));
      return;
    }
    const long double u = q.FX + s.t;
    const long double v = (u - q.FX) * (u - q.FX) / (2 * p) + c;
    REAL rx = 0, ry = 0;
    FORGAT(q.SZOG, static_cast<REAL>(u), static_cast<REAL>(v), q.FX, q.FY, rx, ry);
    // changed: a vertex too far away to hold on screen (a focus almost on its directrix)
    // breaks the polyline instead of overflowing
    s.on_screen = detail::to_screen(rx, s.sx) && detail::to_screen(ry, s.sy);
  };
  auto comes_near = [&](const sample& a, const sample& b) {
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y))
      return true;
    return std::max(a.x, b.x) + reach >= static_cast<double>(box.left) &&
           std::max(a.y, b.y) + reach >= static_cast<double>(box.top) &&
           std::min(a.x, b.x) - reach <= static_cast<double>(box.right) &&
           std::min(a.y, b.y) - reach <= static_cast<double>(box.bottom);
  };

  sample previous = sample_at(-n);
  for (std::int64_t t = -n + step; t <= n; t += step) {
    sample current = sample_at(t);
    if (comes_near(previous, current)) {
      make_exact(previous);
      make_exact(current);
      if (previous.on_screen && current.on_screen)
        line.strokes.push_back({previous.sx, previous.sy, current.sx, current.sy});
    }
    previous = current;
  }
  return line.strokes;
}

void draw_parabola(BYTE i, LONGINT offset, bool shadow) {
  auto& q = PARABOLA[i];
  if (!q.LATSZIK || !q.LETEZIK) return;
  const WORD colour = shadow ? shadow_colour : RGBTOCOL[q.R][q.G][q.B];
  const auto& strokes = parabola_strokes(i);
  if (q.VASTAGSAG == 1) {
    for (const polyline_stroke& s : strokes) {
      orla_2d::LINECLIPPED(SPRITE01, s.x1 + offset, s.y1 + offset, s.x2 + offset, s.y2 + offset,
                           colour);
      detail::mark_layer_line(SPRITE01, s.x1 + offset, s.y1 + offset, s.x2 + offset, s.y2 + offset);
    }
    return;
  }
  // the thick polyline's runs, kept like those of a single stroke
  const std::uint64_t key[6] = {key_of(q.FX),
                                key_of(q.FY),
                                key_of(q.P),
                                key_of(q.SZOG),
                                q.VASTAGSAG,
                                static_cast<std::uint64_t>(SPRITE01.BREITE) << 32 |
                                    static_cast<std::uint64_t>(SPRITE01.HOEHE)};
  kept_runs& kept = caches.parabolas[i];
  if (!kept.holds(key))
    for (const polyline_stroke& s : strokes)
      stroke_runs(s.x1, s.y1, s.x2, s.y2, q.VASTAGSAG, shared_box(), caches.scratch, kept.runs);
  fill_runs(SPRITE01, kept.runs, offset, colour);
  mark_runs(kept.runs, offset);
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

void detail::reset_render_caches() {
  caches = render_caches{};
  forget_layer_damage();
}

namespace {

bool shown_and_existing(detail::element_kind kind, BYTE i) {
  using detail::element_kind;
  switch (kind) {
    case element_kind::point:
      return PONT[i].LATSZIK && PONT[i].LETEZIK;
    case element_kind::segment:
      return SZAKASZ[i].LATSZIK && SZAKASZ[i].LETEZIK;
    case element_kind::line:
      return EGYENES[i].LATSZIK && EGYENES[i].LETEZIK;
    case element_kind::circle:
      return KOR[i].LATSZIK && KOR[i].LETEZIK;
    case element_kind::parabola:
      return PARABOLA[i].LATSZIK && PARABOLA[i].LETEZIK;
  }
  return false;
}

}  // namespace

void detail::walk_figure(const std::function<void(const figure_element&)>& paint) {
  // each element is tested when the walk reaches it: drawing an element's shadow may end its
  // existence for the frame (a segment whose ends fall on one pixel)
  auto visit = [&paint](element_kind kind, BYTE i, bool shadow) {
    if (shown_and_existing(kind, i)) paint({kind, i, shadow});
  };
  for (const bool shadow : {true, false}) {
    for (BYTE i = 1; i <= 3; ++i) visit(element_kind::parabola, i, shadow);
    for (BYTE i = 1; i <= 10; ++i) visit(element_kind::circle, i, shadow);
    for (BYTE i = 1; i <= 50; ++i) visit(element_kind::line, i, shadow);
    for (BYTE i = 1; i <= 50; ++i) visit(element_kind::segment, i, shadow);
    for (BYTE i = 60; i >= 1; --i) visit(element_kind::point, i, shadow);
  }
}

void detail::draw_figure() {
  walk_figure([](const figure_element& e) {
    using painter = void (*)(BYTE);
    static constexpr painter elements[] = {PONTKIRAK, SZAKASZKIRAK, EGYENESKIRAK, KORKIRAK,
                                           PARABOLAKIRAK};
    static constexpr painter shadows[] = {PONTARNYEKKIRAK, SZAKASZARNYEKKIRAK, EGYENESARNYEKKIRAK,
                                          KORARNYEKKIRAK, PARABOLAARNYEKKIRAK};
    (e.shadow ? shadows : elements)[static_cast<int>(e.kind)](e.index);
  });
}

void PONTKIRAK(BYTE i) {
  const auto& p = PONT[i];
  draw_point(i, 0, colour_of(p.R, p.G, p.B));
}
void PONTARNYEKKIRAK(BYTE i) {
  draw_point(i, shadow_offset, shadow_colour);
}
void SZAKASZKIRAK(BYTE i) {
  draw_segment(i, 0, false);
}
void SZAKASZARNYEKKIRAK(BYTE i) {
  draw_segment(i, shadow_offset, true);
}
void EGYENESKIRAK(BYTE i) {
  draw_line(i, 0, false);
}
void EGYENESARNYEKKIRAK(BYTE i) {
  draw_line(i, shadow_offset, true);
}
void KORKIRAK(BYTE i) {
  draw_circle(i, 0, false);
}
void KORARNYEKKIRAK(BYTE i) {
  draw_circle(i, shadow_offset, true);
}
void PARABOLAKIRAK(BYTE i) {
  draw_parabola(i, 0, false);
}
void PARABOLAARNYEKKIRAK(BYTE i) {
  draw_parabola(i, shadow_offset, true);
}

}  // namespace vexel
