// vexel: what the figure drew into the scene layer, so that a frame clears and lays over the
// backdrop only those parts of the layer instead of all of it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "orla_2d.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

using coord = std::int64_t;

// The layer is divided into tiles of tile_width columns and tile_height rows (a band of rows);
// a frame records the tiles it drew into. Outside the tiles of the last frame the layer is
// black.
constexpr coord tile_width = detail::layer_tile_width, tile_height = detail::layer_tile_height;

// The tiles drawn into one layer, one bit per tile, for the layer they were recorded for.
struct tile_record {
  const WORD* data = nullptr;
  LONGINT width = 0;
  LONGINT height = 0;
  coord bands = 0;
  coord words_per_band = 0;
  coord first_band = 0;  // bands first_band..last_band may hold a tile; none when first > last
  coord last_band = -1;
  std::vector<std::uint64_t> bits;

  bool matches(const orla::VIRTUALWINDOW& vw) const {
    return data == vw.DATA && width == vw.BREITE && height == vw.HOEHE;
  }
  void reset_for(const orla::VIRTUALWINDOW& vw) {
    data = vw.DATA;
    width = std::max<LONGINT>(vw.BREITE, 0);
    height = std::max<LONGINT>(vw.HOEHE, 0);
    bands = (height + tile_height - 1) / tile_height;
    words_per_band = (width + tile_width * 64 - 1) / (tile_width * 64);
    bits.assign(static_cast<std::size_t>(words_per_band * bands), 0);
    first_band = bands;
    last_band = -1;
  }
  void clear() {
    if (first_band <= last_band)
      std::fill(bits.begin() + first_band * words_per_band,
                bits.begin() + (last_band + 1) * words_per_band, 0);
    first_band = bands;
    last_band = -1;
  }
  // Records the columns left..right of the bands holding rows top..bottom.
  void mark(coord top, coord bottom, coord left, coord right) {
    top = std::max<coord>(top, 0);
    bottom = std::min<coord>(bottom, coord{height} - 1);
    left = std::max<coord>(left, 0);
    right = std::min<coord>(right, coord{width} - 1);
    if (top > bottom || left > right) return;
    const coord first = top / tile_height, last = bottom / tile_height;
    for (coord band = first; band <= last; ++band) {
      std::uint64_t* word = bits.data() + band * words_per_band;
      for (coord tile = left / tile_width; tile <= right / tile_width; ++tile)
        word[tile / 64] |= std::uint64_t{1} << (tile % 64);
    }
    first_band = std::min(first_band, first);
    last_band = std::max(last_band, last);
  }
  // Calls visit(row, left, right) for every row of every run of recorded tiles, cut to the
  // layer.
  template <typename Visit>
  void each_run(Visit visit) const {
    const coord tiles = words_per_band * 64;
    auto bit = [](const std::uint64_t* word, coord tile) {
      return (word[tile / 64] >> (tile % 64) & 1) != 0;
    };
    for (coord band = first_band; band <= last_band; ++band) {
      const std::uint64_t* word = bits.data() + band * words_per_band;
      const coord top = band * tile_height;
      const coord bottom = std::min<coord>(top + tile_height, height) - 1;
      coord tile = 0;
      while (tile < tiles) {
        const std::uint64_t rest = word[tile / 64] >> (tile % 64);
        if (rest == 0) {
          tile = (tile / 64 + 1) * 64;  // nothing more in this word
          continue;
        }
        tile += __builtin_ctzll(rest);
        const coord start = tile;
        while (tile < tiles && bit(word, tile)) ++tile;
        const coord left = start * tile_width;
        const coord right = std::min<coord>(tile * tile_width, width) - 1;
        if (left > right) continue;
        for (coord row = top; row <= bottom; ++row) visit(row, left, right);
      }
    }
  }
};

// The tiles drawn since the layer was last cleared; known: outside them the layer is black
// (false until the first clear of a new layer).
struct layer_damage {
  tile_record drawn;
  bool known = false;
};
// The scene layer's record and that of the layer drawn at the screen's size.
layer_damage damages[2];

layer_damage& damage_of(const orla::VIRTUALWINDOW& layer) {
  layer_damage& damage = damages[&layer == &SPRITE01 ? 0 : 1];
  if (!damage.drawn.matches(layer)) {
    // a new or resized layer: what it holds is unknown until the next clear
    damage.drawn.reset_for(layer);
    damage.known = false;
  }
  return damage;
}

// The largest n >= 0 with n * n <= v, for v < 2^62.
coord root_of(coord v) {
  if (v <= 0) return 0;
  auto n = static_cast<coord>(std::sqrt(static_cast<double>(v)));
  while (n * n > v) --n;
  while ((n + 1) * (n + 1) <= v) ++n;
  return n;
}

}  // namespace

void detail::mark_layer_span(const orla::VIRTUALWINDOW& layer, coord row, coord left, coord right) {
  if (left > right) std::swap(left, right);
  damage_of(layer).drawn.mark(row, row, left, right);
}

void detail::mark_layer_box(const orla::VIRTUALWINDOW& layer, coord left, coord top, coord right,
                            coord bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  damage_of(layer).drawn.mark(top, bottom, left, right);
}

void detail::mark_layer_line(const orla::VIRTUALWINDOW& layer, coord x1, coord y1, coord x2,
                             coord y2) {
  // an 8-connected line's pixels on a row lie between the ideal line's places one row above and
  // one row below, a pixel either side; a band of rows takes the union of its rows, and only
  // the bands of the layer are visited
  tile_record& r = damage_of(layer).drawn;
  if (y1 == y2) {
    r.mark(y1, y1, std::min(x1, x2), std::max(x1, x2));
    return;
  }
  const coord top = std::max<coord>(std::min(y1, y2), 0);
  const coord bottom = std::min<coord>(std::max(y1, y2), coord{r.height} - 1);
  const double slope = static_cast<double>(x2 - x1) / static_cast<double>(y2 - y1);
  const double low = static_cast<double>(std::min(x1, x2)) - 1;
  const double high = static_cast<double>(std::max(x1, x2)) + 1;
  for (coord from = top; from <= bottom; from = (from / tile_height + 1) * tile_height) {
    const coord to = std::min(bottom, (from / tile_height + 1) * tile_height - 1);
    const double a = static_cast<double>(x1) + slope * static_cast<double>(from - 1 - y1);
    const double b = static_cast<double>(x1) + slope * static_cast<double>(to + 1 - y1);
    const double left = std::clamp(std::floor(std::min(a, b)) - 2, low, high);
    const double right = std::clamp(std::ceil(std::max(a, b)) + 2, low, high);
    r.mark(from, to, static_cast<coord>(left), static_cast<coord>(right));
  }
}

void detail::mark_layer_ring(const orla::VIRTUALWINDOW& layer, coord cx, coord cy, coord radius) {
  if (radius < 0) return;
  // the midpoint circle's pixels lie less than two pixels from the ideal circle: per row, the
  // columns between the circles of radius - 2 and radius + 2, a band taking the union of its
  // rows (a radius is a LONGINT, so the squares hold in 64 bits)
  tile_record& r = damage_of(layer).drawn;
  const coord outer = radius + 2, inner = radius - 2;
  const coord top = std::max<coord>(cy - outer, 0);
  const coord bottom = std::min<coord>(cy + outer, coord{r.height} - 1);
  for (coord from = top; from <= bottom; from = (from / tile_height + 1) * tile_height) {
    const coord to = std::min(bottom, (from / tile_height + 1) * tile_height - 1);
    // the band's rows nearest to and farthest from the centre's row
    const coord nearest =
        from <= cy && cy <= to ? 0 : std::min(std::abs(from - cy), std::abs(to - cy));
    const coord farthest = std::max(std::abs(from - cy), std::abs(to - cy));
    const coord far = root_of((outer - nearest) * (outer + nearest)) + 1;
    const coord near =
        inner > farthest ? std::max<coord>(root_of((inner - farthest) * (inner + farthest)) - 1, 0)
                         : coord{0};
    r.mark(from, to, cx - far, cx - near);
    r.mark(from, to, cx + near, cx + far);
  }
}

void detail::clear_layer(orla::VIRTUALWINDOW& layer) {
  layer_damage& damage = damage_of(layer);
  if (layer.DATA == nullptr) {
    // no layer (a computation without drawing): nothing to clear, nothing known
    damage.known = false;
    return;
  }
  if (!damage.known) {
    std::fill_n(layer.DATA, static_cast<std::size_t>(damage.drawn.width) * damage.drawn.height,
                WORD{0});
    damage.drawn.clear();
    damage.known = true;
    return;
  }
  damage.drawn.each_run([&layer](coord row, coord left, coord right) {
    std::fill_n(layer.DATA + row * layer.BREITE + left, right - left + 1, WORD{0});
  });
  damage.drawn.clear();
}

void detail::lay_layer_over(const orla::VIRTUALWINDOW& layer, orla::VIRTUALWINDOW& frame) {
  if (layer.DATA == nullptr || frame.DATA == nullptr) return;
  layer_damage& damage = damage_of(layer);
  tile_record& drawn = damage.drawn;
  if (!damage.known) {
    // what the layer holds is not recorded: every pixel of it
    drawn.mark(0, coord{drawn.height} - 1, 0, coord{drawn.width} - 1);
    damage.known = true;
  }
  const coord rows = std::min<coord>(layer.HOEHE, frame.HOEHE);
  const coord columns = std::min<coord>(layer.BREITE, frame.BREITE);
  drawn.each_run([&](coord row, coord left, coord right) {
    if (row >= rows || left >= columns) return;
    right = std::min(right, columns - 1);
    const WORD* from = layer.DATA + row * layer.BREITE;
    WORD* to = frame.DATA + row * frame.BREITE;
    // black is the layer's transparent colour (written as a select, which vectorises)
    for (coord x = left; x <= right; ++x) to[x] = from[x] != 0 ? from[x] : to[x];
  });
}

bool detail::layer_pixel_recorded(const orla::VIRTUALWINDOW& layer, coord x, coord y) {
  const layer_damage& damage = damage_of(layer);
  const tile_record& r = damage.drawn;
  if (!damage.known) return true;
  if (x < 0 || y < 0 || x >= r.width || y >= r.height) return false;
  const coord tile = x / tile_width;
  const std::uint64_t word =
      r.bits[static_cast<std::size_t>(y / tile_height * r.words_per_band + tile / 64)];
  return (word >> (tile % 64) & 1) != 0;
}

void detail::forget_layer_damage() {
  for (auto& damage : damages) damage = layer_damage{};
}

}  // namespace vexel
