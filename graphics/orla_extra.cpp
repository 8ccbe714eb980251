// orla_extra: point counts of digital lines.
#include "orla_extra.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace orla_extra {
namespace detail {
namespace {

// The walk along the major axis visits one point per major step and, after each step whose
// error term turns positive, moves along the minor axis; over the whole line it makes exactly
// |major distance| major steps and |minor distance| minor steps. The counts follow from that
// without walking.
// changed: the distances are taken in 64 bits and a count beyond LONGINT saturates, where the
// 32-bit walk overflowed for end points more than 2^31 apart.
LONGINT saturate(std::int64_t count) {
  return static_cast<LONGINT>(std::min<std::int64_t>(count, std::numeric_limits<LONGINT>::max()));
}

std::int64_t distance(LONGINT a, LONGINT b) {
  return std::abs(std::int64_t{a} - b);
}

}  // namespace
}  // namespace detail

LONGINT CALCULATELINE(LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2) {
  const std::int64_t adx = detail::distance(x1, x2);
  const std::int64_t ady = detail::distance(y1, y2);
  return detail::saturate(std::max(adx, ady) + 1);
}

LONGINT CALCULATEDETAILLINE(LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2) {
  // Each minor step adds the corner point between the two orthogonal moves.
  const std::int64_t adx = detail::distance(x1, x2);
  const std::int64_t ady = detail::distance(y1, y2);
  return detail::saturate(adx + ady + 1);
}

}  // namespace orla_extra
