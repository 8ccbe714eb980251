// orla_2d (thick strokes): the rows of a stroke stamped with one disc per pixel of its length.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "orla_2d.hpp"

namespace orla_2d {
namespace detail {

namespace {

// The range of stamp indices i in 1..L whose disc centre can lie in the box grown by the disc
// radius (plus one pixel for the rounding of the centre). The centres move monotonically along
// the stroke, so this range holds every disc that can touch the box.
bool stamp_range(std::int64_t x1, std::int64_t y1, std::int64_t dx, std::int64_t dy,
                 std::int64_t length, std::int64_t grow, const pixel_box& box, std::int64_t& first,
                 std::int64_t& last) {
  // in double: the range is widened by a stamp on either side, far more than its rounding
  double lo = 0.0, hi = static_cast<double>(length);
  auto clip = [&](double start, double delta, double min, double max) {
    // start + delta * i / length within [min, max]
    if (delta == 0) {
      if (start < min || start > max) hi = -1.0;
      return;
    }
    double a = (min - start) * static_cast<double>(length) / delta;
    double b = (max - start) * static_cast<double>(length) / delta;
    if (a > b) std::swap(a, b);
    lo = std::max(lo, a);
    hi = std::min(hi, b);
  };
  const double g = static_cast<double>(grow + 1);
  clip(static_cast<double>(x1), static_cast<double>(dx), static_cast<double>(box.left) - g,
       static_cast<double>(box.right) + g);
  clip(static_cast<double>(y1), static_cast<double>(dy), static_cast<double>(box.top) - g,
       static_cast<double>(box.bottom) + g);
  if (hi < 0.0 || lo > hi + 2.0) return false;
  // lo and hi lie within [0, length] here, where truncation rounds down
  first = std::max<std::int64_t>(1, static_cast<std::int64_t>(lo) - 1);
  last = std::min<std::int64_t>(length, static_cast<std::int64_t>(hi) + 2);
  return first <= last;
}

using wide_int = orla::detail::int128;

// The offset of stamp i on one axis as the stroke is defined: f := i/length is a REAL (the
// quotient taken in extended precision, stored as a double), and only the product delta * f is
// taken in extended precision before it is rounded, half to even. An exact half of delta * i /
// length therefore falls to the side the stored f puts it: round(5 * double(0.1)) = 1.
std::int64_t stamp_offset_of(std::int64_t delta, std::int64_t length, std::int64_t i) {
  const auto f = static_cast<REAL>(static_cast<long double>(i) / static_cast<long double>(length));
  // rint rounds as nearbyint in the default rounding mode, inline
  return static_cast<std::int64_t>(std::rint(static_cast<long double>(delta) * f));
}

// The offsets round(delta * f) of the stamps along one axis, step by step: exact integer
// arithmetic for delta * i / length, except near a tie, where the REAL f decides (above).
class stamp_offset {
 public:
  stamp_offset(std::int64_t delta, std::int64_t length, std::int64_t i)
      : delta_(delta), length_(length), step_(delta < 0 ? -delta : delta), i_(i) {
    std::int64_t narrow = 0;
    if (i == 1) {
      // step_ <= length: no division for the first stamp
      whole_ = step_ == length ? 1 : 0;
      rest_ = step_ == length ? 0 : step_;
    } else if (!__builtin_mul_overflow(step_, i, &narrow)) {
      whole_ = narrow / length;
      rest_ = narrow % length;
    } else {
      const auto product = static_cast<wide_int>(step_) * i;
      whole_ = static_cast<std::int64_t>(product / length);
      rest_ = static_cast<std::int64_t>(product % length);
    }
  }
  std::int64_t value() const {
    // 2 * rest - length against the length: which side of the half the fraction lies
    const std::int64_t side = 2 * rest_ - length_;
    if (side >= -tie_band_ && side <= tie_band_) [[unlikely]]
      return stamp_offset_of(delta_, length_, i_);
    const std::int64_t rounded = whole_ + (side > 0);
    return (rounded ^ sign_) - sign_;
  }
  void next() {
    ++i_;
    rest_ += step_;  // step_ <= length_: at most one carry
    const bool carry = rest_ >= length_;
    rest_ -= carry ? length_ : 0;
    whole_ += carry;
  }

 private:
  std::int64_t delta_, length_, step_, i_, whole_ = 0, rest_ = 0;
  // all ones for a negative delta: the rounded magnitude is negated
  std::int64_t sign_ = delta_ < 0 ? -1 : 0;
  // The stored f is i/length within 2^-53 of it (and the extended steps add 2^-63), so delta
  // * f lies within |delta| * 2^-52 of delta * i / length; the fraction lies |side| / (2 *
  // length) from the half. Beyond this band the exact side is the side of delta * f too; at
  // |side| = 0 (a true tie) and within the band the REAL f decides.
  std::int64_t tie_band_ =
      static_cast<std::int64_t>((static_cast<wide_int>(length_) * step_) >> 51);
};

// Half-widths of the disc of a radius per row offset 0..radius, as the midpoint spans lay it:
// every row of the disc is one run about the centre column.
void disc_half_widths(std::int64_t radius, std::int64_t* half_width) {
  std::fill_n(half_width, radius + 1, std::int64_t{0});
  midpoint_circle(radius, [&](std::int64_t x, std::int64_t y) {
    half_width[-y] = std::max(half_width[-y], x);
    half_width[x] = std::max(half_width[x], -y);
  });
}

// round(sqrt(dx^2 + dy^2)) for any pair of 32-bit end points. The square root of an integer
// never lies on a half, so below 2^62 the integer square root decides exactly; above, the sum
// itself no longer fits and extended precision takes over.
std::int64_t rounded_length(std::int64_t dx, std::int64_t dy) {
  const auto sum = static_cast<wide_int>(dx) * dx + static_cast<wide_int>(dy) * dy;
  if (sum >= (static_cast<wide_int>(1) << 62)) {
    const long double length =
        std::sqrt(static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy);
    return static_cast<std::int64_t>(std::nearbyint(length));
  }
  const auto n = static_cast<std::int64_t>(sum);
  const std::int64_t root = floor_sqrt(n);
  // sqrt(n) >= root + 1/2 exactly when n > root^2 + root
  return n > root * root + root ? root + 1 : root;
}

}  // namespace

void stroke_runs(coord x1, coord y1, coord x2, coord y2, BYTE width, const pixel_box& box,
                 stroke_scratch& scratch, std::vector<stroke_run>& runs) {
  const std::int64_t radius = static_cast<std::int64_t>(width) - 1;
  if (radius < 0) return;  // width 0: discs of a negative radius draw nothing
  // every stamp centre lies in the box of the two ends: a box that misses the given box by
  // more than the radius leaves nothing to draw
  if (std::max(x1, x2) + radius < box.left || std::max(y1, y2) + radius < box.top ||
      std::min(x1, x2) - radius > box.right || std::min(y1, y2) - radius > box.bottom)
    return;
  const std::int64_t dx = x2 - x1, dy = y2 - y1;
  // changed: the length without the 32-bit overflow of the squares of far end points, and only
  // the stamps that can touch the window are made; the pixels drawn are the same
  const std::int64_t length = rounded_length(dx, dy);
  if (length <= 0) return;
  std::int64_t first = 1, last = length;
  const bool ends_inside = std::min(x1, x2) >= box.left && std::max(x1, x2) <= box.right &&
                           std::min(y1, y2) >= box.top && std::max(y1, y2) <= box.bottom;
  if (!ends_inside && !stamp_range(x1, y1, dx, dy, length, radius, box, first, last)) return;

  // The stroke row by row. Successive stamp centres differ by at most one pixel on each axis
  // (|dx|, |dy| <= length) and every row of a disc holds its centre column, so on each row the
  // stamps that reach it form one run of centres whose runs join: the row's part of the union
  // of the discs is the single run from the leftmost to the rightmost disc edge on it.
  const std::int64_t* const half_width = scratch.half_width;
  if (scratch.half_width_radius != radius) {
    disc_half_widths(radius, scratch.half_width);
    scratch.half_width_radius = radius;
  }
  // every centre lies in the box of the two ends
  const std::int64_t top = std::max(std::min(y1, y2) - radius, box.top);
  const std::int64_t bottom = std::min(std::max(y1, y2) + radius, box.bottom);
  if (top > bottom) return;

  // First the centre columns per centre row: the centres move monotonically, so the stamps of
  // one centre row are one run, from its first centre column to its last. Centre rows that
  // can reach the rows top..bottom are kept, from top - radius on.
  const std::int64_t centre_base = top - radius;
  const auto centre_rows = static_cast<std::size_t>(bottom - top + 1 + 2 * radius);
  std::vector<std::int64_t>& run_left = scratch.run_left;
  std::vector<std::int64_t>& run_right = scratch.run_right;
  if (run_left.size() < centre_rows) {
    run_left.resize(centre_rows);
    run_right.resize(centre_rows);
  }
  // empty centre rows: far enough out that the half-widths cannot bring them back
  constexpr std::int64_t none = std::int64_t{1} << 60;
  std::fill_n(run_left.begin(), centre_rows, none);
  std::fill_n(run_right.begin(), centre_rows, -none);
  auto keep_run = [&](std::int64_t cy, std::int64_t cx_from, std::int64_t cx_to) {
    const auto k = static_cast<std::uint64_t>(cy - centre_base);
    if (k >= centre_rows) return;
    run_left[k] = std::min({run_left[k], cx_from, cx_to});
    run_right[k] = std::max({run_right[k], cx_from, cx_to});
  };
  stamp_offset ox(dx, length, first), oy(dy, length, first);
  std::int64_t run_cy = y1 + oy.value(), run_from = x1 + ox.value(), run_to = run_from;
  for (std::int64_t i = first + 1; i <= last; ++i) {
    ox.next();
    oy.next();
    const std::int64_t cx = x1 + ox.value(), cy = y1 + oy.value();
    if (cy != run_cy) {
      keep_run(run_cy, run_from, run_to);
      run_cy = cy;
      run_from = cx;
    }
    run_to = cx;
  }
  keep_run(run_cy, run_from, run_to);

  // Then every row from the centre rows within the radius of it.
  for (std::int64_t row = top; row <= bottom; ++row) {
    const std::int64_t k = row - centre_base;  // the centre row on this row; radius <= k
    std::int64_t left = run_left[k] - half_width[0], right = run_right[k] + half_width[0];
    for (std::int64_t o = 1; o <= radius; ++o) {
      left = std::min({left, run_left[k - o] - half_width[o], run_left[k + o] - half_width[o]});
      right = std::max({right, run_right[k - o] + half_width[o], run_right[k + o] + half_width[o]});
    }
    left = std::max(left, box.left);
    right = std::min(right, box.right);
    if (left <= right) runs.push_back({row, left, right});
  }
}

void fill_runs(VIRTUALWINDOW& vw, const std::vector<stroke_run>& runs, coord offset, WORD colour) {
  for (const stroke_run& run : runs)
    clipped_span(vw, run.left + offset, run.right + offset, run.row + offset, colour);
}

}  // namespace detail
}  // namespace orla_2d
