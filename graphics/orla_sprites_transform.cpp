// orla_sprites: whole-sprite transforms: brightness in place, fades, nearest-neighbour scaling,
// the bulk copy, the 180-degree turn and the rotating scaler.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "orla_sprites.hpp"

namespace orla_sprites {
namespace detail {
namespace {

// ---- brightness ---------------------------------------------------------------------------------

// A signed delta per channel as its non-negative part and the magnitude of its negative part,
// each held to the channel's range (a larger delta clamps every value the same way); green
// in the green field's place.

// Which way the deltas go: all up, all down, or mixed. The demonstration's fades change all
// three channels the same way, and one-sided clamps are half the work.
enum class direction { up, down, mixed };

// clamp(c + pos - neg, 0, max) without leaving 16-bit unsigned arithmetic.
template <class Ops, direction Dir>
constexpr WORD adjust_channel(WORD c, WORD pos, WORD neg, WORD max) {
  if constexpr (Dir == direction::up) return Ops::min(static_cast<WORD>(c + pos), max);
  if constexpr (Dir == direction::down) return Ops::minus(c, neg);
  return Ops::min(Ops::minus(static_cast<WORD>(c + pos), neg), max);
}

template <direction Dir, bool Keyed>
struct adjust_loop {
  template <class Ops>
  [[gnu::always_inline]] static void run(WORD* __restrict p, std::size_t n, channel_deltas d,
                                         WORD key) {
    for (std::size_t i = 0; i < n; ++i) {
      const WORD c = p[i];
      const WORD adjusted =
          join(adjust_channel<Ops, Dir>(red_of(c), d.r_pos, d.r_neg, red_max),
               adjust_channel<Ops, Dir>(green_field(c), d.g_pos, d.g_neg, green_field_max),
               adjust_channel<Ops, Dir>(blue_of(c), d.b_pos, d.b_neg, blue_max));
      p[i] = Keyed ? (c == key ? c : adjusted) : adjusted;
    }
  }
};

template <direction Dir>
void adjust_in(WORD* p, std::size_t n, const channel_deltas& d, bool keyed, WORD key) {
  if (keyed)
    run_loop<adjust_loop<Dir, true>>(p, n, d, key);
  else
    run_loop<adjust_loop<Dir, false>>(p, n, d, key);
}

void adjust(VIRTUALWINDOW& sprite, const channel_deltas& d, bool keyed, WORD key) {
  // a zero change leaves every pixel as it is: return before touching the buffer
  if (d.none()) return;
  const std::size_t n = flat_pixels(sprite);
  if (n == 0) return;
  if ((d.r_neg | d.g_neg | d.b_neg) == 0)
    adjust_in<direction::up>(sprite.DATA, n, d, keyed, key);
  else if ((d.r_pos | d.g_pos | d.b_pos) == 0)
    adjust_in<direction::down>(sprite.DATA, n, d, keyed, key);
  else
    adjust_in<direction::mixed>(sprite.DATA, n, d, keyed, key);
}

// ---- fades --------------------------------------------------------------------------------------

// One step of c towards g by at most s, never past g.
template <class Ops>
constexpr WORD fade_channel(WORD c, WORD g, WORD s) {
  return c < g ? Ops::min(static_cast<WORD>(c + s), g)
               : static_cast<WORD>(Ops::max(c, static_cast<WORD>(g + s)) - s);
}

struct fade_loop {
  template <class Ops>
  [[gnu::always_inline]] static void run(WORD* __restrict changed, const WORD* __restrict goal,
                                         std::size_t n, WORD sr, WORD sg, WORD sb) {
    for (std::size_t i = 0; i < n; ++i) {
      const WORD c = changed[i];
      const WORD g = goal[i];
      changed[i] = join(fade_channel<Ops>(red_of(c), red_of(g), sr),
                        fade_channel<Ops>(green_field(c), green_field(g), sg),
                        fade_channel<Ops>(blue_of(c), blue_of(g), sb));
    }
  }
};

void fade(VIRTUALWINDOW& changed, const VIRTUALWINDOW& goal, BYTE sr, BYTE sg, BYTE sb) {
  // changed: the step ran over the goal's pixel count, so a goal larger than the changed window
  // wrote past the changed buffer; only the pixels both buffers hold take part now.
  const std::size_t n = std::min(flat_pixels(goal), flat_pixels(changed));
  if (n == 0) return;
  const WORD r = limit(sr, 31), g = static_cast<WORD>(limit(sg, 63) << 5), b = limit(sb, 31);
  if ((r | g | b) == 0) return;
  // changed: a goal sharing memory with the changed window was read after being changed; the
  // step now fades towards a copy of the goal, as with two separate windows
  if (runs_overlap(changed.DATA, flat_pixels(changed), goal.DATA, flat_pixels(goal))) {
    const std::vector<WORD> copy(goal.DATA, goal.DATA + n);
    run_loop<fade_loop>(changed.DATA, copy.data(), n, r, g, b);
    return;
  }
  run_loop<fade_loop>(changed.DATA, static_cast<const WORD*>(goal.DATA), n, r, g, b);
}

// ---- 16-bit fractional steps --------------------------------------------------------------------

// A sampling step as an integer part and a fraction scaled by 65535, as the resamplers use it.
struct fixed_step {
  std::int64_t whole = 0;
  std::uint32_t fraction = 0;  // 0 .. 65534
};

fixed_step step_of(long double numerator, long double denominator) {
  const long double f = numerator / denominator;
  fixed_step s;
  s.whole = static_cast<std::int64_t>(f);
  // kept: the fraction is scaled by 65535, not 65536, so samples fall slightly behind
  s.fraction = static_cast<std::uint32_t>((f - static_cast<long double>(s.whole)) * 65535.0L);
  return s;
}

// A 16-bit accumulator: adds the fraction and reports the carry out of bit 15.
struct accumulator {
  std::uint32_t value = 0;
  int add(std::uint32_t fraction) {
    value += fraction;
    const int carry = value > 0xFFFF ? 1 : 0;
    value &= 0xFFFF;
    return carry;
  }
  // Adds the fraction count times, carries discarded.
  void skip(std::uint64_t count, std::uint32_t fraction) {
    value = static_cast<std::uint32_t>((value + (count % 65536) * fraction) & 0xFFFF);
  }
};

// A copy of a window's usable rows, used when source and destination share memory.
struct source_copy {
  std::vector<WORD> pixels;
  pixel_rows rows;
};

// The source as the routine reads it: itself, or a copy of it when writing the destination
// would change it.
// changed: a source sharing memory with its destination was read after parts of it had been
// overwritten; now the routines read the source as it was before the call.
pixel_rows readable_source(const pixel_rows& src, const pixel_rows& dst, source_copy& copy) {
  const auto src_n = static_cast<std::size_t>(src.width) * src.height;
  const auto dst_n = static_cast<std::size_t>(dst.width) * dst.height;
  if (!runs_overlap(src.data, src_n, dst.data, dst_n)) return src;
  copy.pixels.assign(src.data, src.data + src_n);
  copy.rows = {copy.pixels.data(), src.width, src.height};
  return copy.rows;
}

// One row of the 180-degree turn: out[i] := in[-i], the source read backwards from its end.
struct reverse_loop {
  template <class Ops>
  [[gnu::always_inline]] static void run(WORD* __restrict out, const WORD* __restrict in_end,
                                         std::int64_t n) {
    for (std::int64_t i = 0; i < n; ++i) out[i] = in_end[-i];
  }
};

// ---- the 4-connected walk -----------------------------------------------------------------------

struct point {
  std::int64_t x = 0, y = 0;
};

using wide_int = orla::detail::int128;

// The 4-connected line from one point to another, both ends included: every diagonal step is
// made of a step along the major axis and one along the other, and the corner between them is a
// point of the line too (1 + |dx| + |dy| points). The walk can jump over its first steps.
class walker {
 public:
  walker(point from, point to)
      : x_major_(std::llabs(to.x - from.x) > std::llabs(to.y - from.y)),
        major_(x_major_ ? from.x : from.y),
        minor_(x_major_ ? from.y : from.x),
        major_span_(std::llabs(x_major_ ? to.x - from.x : to.y - from.y)),
        minor_span_(std::llabs(x_major_ ? to.y - from.y : to.x - from.x)),
        major_dir_((x_major_ ? to.x >= from.x : to.y >= from.y) ? 1 : -1),
        minor_dir_((x_major_ ? to.y >= from.y : to.x >= from.x) ? 1 : -1),
        error_(-(major_span_ / 2)) {}

  point current() const { return x_major_ ? point{major_, minor_} : point{minor_, major_}; }
  bool x_major() const { return x_major_; }
  std::int64_t major_coordinate() const { return major_; }
  int major_direction() const { return major_dir_; }
  bool done() const { return steps_ == major_span_; }

  // One step along the major axis: visits the corner point, if the line turns, and the new
  // point. False when the visitor stopped the walk.
  template <class Visit>
  bool step(Visit&& visit) {
    error_ += minor_span_;
    major_ += major_dir_;
    ++steps_;
    if (error_ > 0) {
      if (!visit(current())) return false;
      minor_ += minor_dir_;
      error_ -= major_span_;
    }
    return visit(current());
  }

  // Jumps from the start over the start point and the first `steps` steps without visiting
  // them; returns how many points were passed over.
  std::int64_t skip_from_start(std::int64_t steps) {
    const std::int64_t turns = minor_steps(steps);
    major_ += major_dir_ * steps;
    minor_ += minor_dir_ * turns;
    error_ =
        static_cast<std::int64_t>(static_cast<wide_int>(error_) + wide_int{steps} * minor_span_ -
                                  wide_int{turns} * major_span_);
    steps_ = steps;
    return 1 + steps + turns;
  }

 private:
  // Steps along the minor axis within the first k major steps: the error term stays in
  // (-major_span, 0] after each step, which fixes their count.
  std::int64_t minor_steps(std::int64_t k) const {
    const wide_int t = wide_int{k} * minor_span_ - major_span_ / 2;
    if (t <= 0) return 0;
    return static_cast<std::int64_t>((t + major_span_ - 1) / major_span_);
  }

  bool x_major_;
  std::int64_t major_, minor_, major_span_, minor_span_;
  int major_dir_, minor_dir_;
  std::int64_t error_;
  std::int64_t steps_ = 0;
};

// Visits every point of the walk in order until the visitor returns false.
template <class Visit>
void walk_4connected(point from, point to, Visit&& visit) {
  walker w(from, to);
  if (!visit(w.current())) return;
  while (!w.done())
    if (!w.step(visit)) return;
}

// The corner of the turned square at angle + k degrees, at distance r from (x, y).
point corner(std::int64_t x, std::int64_t y, std::int64_t angle, std::int64_t k, long double r) {
  std::int64_t a = angle + k;
  if (a < 0) a += (std::llabs(a / 360) + 1) * 360;
  if (a > 360) a %= 360;
  point p;
  p.x = x + static_cast<std::int64_t>(static_cast<long double>(orla::COSIN[a]) * r);
  p.y = y - static_cast<std::int64_t>(static_cast<long double>(orla::SINUS[a]) * r);
  return p;
}

void rotate_scale(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination, LONGINT x, LONGINT y,
                  LONGINT side, LONGINT angle, bool keyed, WORD key) {
  const pixel_rows dst = rows_of(destination);
  source_copy copy;
  const pixel_rows src = readable_source(rows_of(source), dst, copy);
  if (src.data == nullptr || dst.data == nullptr) return;

  // half the diagonal of the side x side square
  const std::int64_t s = side;
  const long double r = std::sqrt(static_cast<long double>(2 * ((s / 2) * s / 2)));
  const point p1 = corner(x, y, angle, 45, r);
  const point p2 = corner(x, y, angle, 135, r);
  const point p3 = corner(x, y, angle, 225, r);

  // The row shape, as offsets from the row's first point.
  // changed: a row of more than the table's 1000 points ran past LINEPOSITION; the row is now
  // cut after 1000 points, and the points kept are drawn exactly as in a complete row.
  const std::int64_t row_points = 1 + std::llabs(p1.x - p2.x) + std::llabs(p1.y - p2.y);
  const std::int64_t kept_points = std::min<std::int64_t>(row_points, line_position_points);
  std::int64_t stored = 0;
  std::int64_t min_dx = 0, max_dx = 0, min_dy = 0, max_dy = 0;
  walk_4connected(p2, p1, [&](point p) {
    const std::int64_t dx = p.x - p2.x, dy = p.y - p2.y;
    LINEPOSITION[2 * stored] = static_cast<LONGINT>(dx);
    LINEPOSITION[2 * stored + 1] = static_cast<LONGINT>(dy);
    min_dx = std::min(min_dx, dx);
    max_dx = std::max(max_dx, dx);
    min_dy = std::min(min_dy, dy);
    max_dy = std::max(max_dy, dy);
    return ++stored < kept_points;
  });

  const std::int64_t rows = 1 + std::llabs(p3.x - p2.x) + std::llabs(p3.y - p2.y);
  const fixed_step fx = step_of(src.width - 1, static_cast<long double>(row_points));
  const fixed_step fy = step_of(src.height - 1, static_cast<long double>(rows));
  accumulator ax, ay;
  std::int64_t source_row = 0;
  const std::int64_t dw = dst.width, dh = dst.height;

  // Moves the sampling state over rows that draw nothing.
  const auto pass_rows = [&](std::int64_t n) {
    const auto count = static_cast<std::uint64_t>(n);
    ax.skip((count % 65536) * (static_cast<std::uint64_t>(row_points) % 65536), fx.fraction);
    const wide_int total = wide_int{ay.value} + wide_int{n} * fy.fraction;
    source_row += n * fy.whole + static_cast<std::int64_t>(total >> 16);
    ay.value = static_cast<std::uint32_t>(total & 0xFFFF);
  };

  // changed: nothing is clipped in the plain rule; a square reaching past the destination wrote
  // outside it. Points outside the destination are now skipped, those inside are unchanged.
  const auto draw_row = [&](point w) {
    const bool visible =
        w.x + max_dx >= 0 && w.x + min_dx < dw && w.y + max_dy >= 0 && w.y + min_dy < dh;
    if (visible) {
      const WORD* src_row = src.data + source_row * src.width;
      std::int64_t column = 0;
      for (std::int64_t j = 0; j < kept_points; ++j) {
        const std::int64_t px = w.x + LINEPOSITION[2 * j];
        const std::int64_t py = w.y + LINEPOSITION[2 * j + 1];
        const WORD pixel = src_row[column];
        if (px >= 0 && px < dw && py >= 0 && py < dh && !(keyed && pixel == key))
          dst.data[py * dw + px] = pixel;
        column += fx.whole + ax.add(fx.fraction);
      }
      ax.skip(static_cast<std::uint64_t>(row_points - kept_points), fx.fraction);
      source_row += fy.whole + ay.add(fy.fraction);
    } else {
      pass_rows(1);
    }
    // The walk never turns back: once it is past the destination in the direction it travels,
    // no later row reaches the destination.
    const bool gone = (p3.x >= p2.x ? w.x + min_dx >= dw : w.x + max_dx < 0) ||
                      (p3.y >= p2.y ? w.y + min_dy >= dh : w.y + max_dy < 0);
    return !gone;
  };

  // Rows whose walk point lies before the destination's band along the walk's major axis draw
  // nothing; a huge square jumps over them instead of stepping through them one by one.
  walker edge(p2, p3);
  const std::int64_t band_low = edge.x_major() ? -max_dx : -max_dy;
  const std::int64_t band_high = edge.x_major() ? dw - 1 - min_dx : dh - 1 - min_dy;
  const std::int64_t to_band = edge.major_direction() > 0 ? band_low - edge.major_coordinate()
                                                          : edge.major_coordinate() - band_high;
  const std::int64_t major_span =
      edge.x_major() ? std::llabs(p3.x - p2.x) : std::llabs(p3.y - p2.y);
  if (to_band > major_span) return;
  if (to_band >= 1) {
    pass_rows(edge.skip_from_start(to_band - 1));
  } else if (!draw_row(edge.current())) {
    return;
  }
  while (!edge.done())
    if (!edge.step(draw_row)) return;
}

}  // namespace
}  // namespace detail

// ---- brightness ---------------------------------------------------------------------------------

void ADJUSTSPRITEBRIGHTNESS(VIRTUALWINDOW& sprite, SHORTINT dr, SHORTINT dg, SHORTINT db) {
  detail::adjust(sprite, detail::split_deltas(dr, dg, db), false, 0);
}

void ADJUSTSPRITEHCBRIGHTNESS(VIRTUALWINDOW& sprite, SHORTINT dr, SHORTINT dg, SHORTINT db,
                              WORD key) {
  detail::adjust(sprite, detail::split_deltas(dr, dg, db), true, key);
}

void INCREASESPRITEBRIGHTNESS(VIRTUALWINDOW& sprite, BYTE dr, BYTE dg, BYTE db) {
  detail::adjust(sprite, detail::split_deltas(dr, dg, db), false, 0);
}

void INCREASESPRITEHCBRIGHTNESS(VIRTUALWINDOW& sprite, BYTE dr, BYTE dg, BYTE db, WORD key) {
  detail::adjust(sprite, detail::split_deltas(dr, dg, db), true, key);
}

void DECREASESPRITEBRIGHTNESS(VIRTUALWINDOW& sprite, BYTE dr, BYTE dg, BYTE db) {
  detail::adjust(sprite, detail::split_deltas(-dr, -dg, -db), false, 0);
}

void DECREASESPRITEHCBRIGHTNESS(VIRTUALWINDOW& sprite, BYTE dr, BYTE dg, BYTE db, WORD key) {
  detail::adjust(sprite, detail::split_deltas(-dr, -dg, -db), true, key);
}

// ---- fades --------------------------------------------------------------------------------------

void FADESPRITE(VIRTUALWINDOW& changed, const VIRTUALWINDOW& goal) {
  // red and blue one unit, green two, never past the goal: the variable step with (1, 2, 1)
  detail::fade(changed, goal, 1, 2, 1);
}

void FADESPRITEVAR(VIRTUALWINDOW& changed, const VIRTUALWINDOW& goal, BYTE sr, BYTE sg, BYTE sb) {
  detail::fade(changed, goal, sr, sg, sb);
}

// ---- scaling and copies -------------------------------------------------------------------------

void SCALESPRITE(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination) {
  const detail::pixel_rows dst = detail::rows_of(destination);
  detail::source_copy copy;
  const detail::pixel_rows src = detail::readable_source(detail::rows_of(source), dst, copy);
  if (src.data == nullptr || dst.data == nullptr) return;
  const detail::fixed_step fx = detail::step_of(src.width, dst.width);
  const detail::fixed_step fy = detail::step_of(src.height, dst.height);
  // The columns taken are the same on every row (the column accumulator restarts each row), so
  // a row is computed once per source row and repeated rows are copies of the row above.
  // The samples stay inside the source: the fraction is rounded down and scaled by 65535, so
  // every sample position is at most the exact one, which stays below the source's size.
  detail::accumulator ay;
  std::int64_t row = 0;
  std::int64_t previous_row = -1;
  const auto row_bytes = static_cast<std::size_t>(dst.width) * sizeof(WORD);
  for (std::int64_t j = 0; j < dst.height; ++j) {
    WORD* out = dst.data + j * dst.width;
    if (row == previous_row) {
      std::memcpy(out, out - dst.width, row_bytes);
    } else {
      const WORD* in = src.data + row * src.width;
      detail::accumulator ax;
      std::int64_t column = 0;
      for (std::int64_t i = 0; i < dst.width; ++i) {
        out[i] = in[column];
        column += fx.whole + ax.add(fx.fraction);
      }
      previous_row = row;
    }
    row += fy.whole + ay.add(fy.fraction);
  }
}

void COPYSPRITE(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination) {
  // changed: the source's SIZE bytes were copied whatever the destination held; a larger source
  // now fills the destination's buffer and stops there.
  if (source.DATA == nullptr || destination.DATA == nullptr) return;
  if (source.SIZE <= 0 || destination.SIZE <= 0) return;
  const auto bytes = static_cast<std::size_t>(std::min(source.SIZE, destination.SIZE));
  // changed: overlapping buffers were copied forwards in blocks, smearing the source; memmove
  // leaves the destination a copy of what the source held before the call
  std::memmove(destination.DATA, source.DATA, bytes);
}

void ROTATE_SPRITE180(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination) {
  const detail::pixel_rows dst = detail::rows_of(destination);
  detail::source_copy copy;
  const detail::pixel_rows src = detail::readable_source(detail::rows_of(source), dst, copy);
  if (src.data == nullptr || dst.data == nullptr) return;
  // changed: a destination smaller than the source was written past its rows and buffer; only
  // the destination pixels that exist are written now, each with its turned source pixel.
  const std::int64_t w = std::min(src.width, dst.width);
  const std::int64_t h = std::min(src.height, dst.height);
  for (std::int64_t yy = 0; yy < h; ++yy) {
    detail::run_loop<detail::reverse_loop>(
        dst.data + yy * dst.width,
        static_cast<const WORD*>(src.data + (src.height - 1 - yy) * src.width + (src.width - 1)),
        w);
  }
}

void ROTATE_SCALE_SPRITE(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination, LONGINT x,
                         LONGINT y, LONGINT side, LONGINT, LONGINT angle) {
  detail::rotate_scale(source, destination, x, y, side, angle, false, 0);
}

void ROTATE_SCALE_SPRITEHC(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination, LONGINT x,
                           LONGINT y, LONGINT side, LONGINT, LONGINT angle, WORD key) {
  detail::rotate_scale(source, destination, x, y, side, angle, true, key);
}

}  // namespace orla_sprites
