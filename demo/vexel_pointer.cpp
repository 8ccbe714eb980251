// vexel: the left-button history and the pointer over the vertices: hover brightening and
// dragging.
#include <cmath>

#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

// The scene layer ends at row 457; a dragged vertex stays above the panel.
constexpr REAL lowest_vertex_y = 455.0;

BYTE halfway_to(BYTE value, int maximum) {
  return static_cast<BYTE>(std::lrint(value + (maximum - value) * 0.5));
}

}  // namespace

void EGERALLAPOTOK() {
  for (long k = 5; k >= 2; --k) M_LTOMB[k] = M_LTOMB[k - 1];
  M_LTOMB[1] = orla_win32::M_L;
}

bool detail::fresh_press() {
  return orla_win32::M_L && !M_LTOMB[2];
}

BOOLEAN PONTONVAN(BYTE p) {
  PONT_SZAMOL(p);
  const auto& q = PONT[p];
  const REAL d = KETPONT_TAVOLSAGA(q.KX, q.KY, orla_win32::M_X, orla_win32::M_Y);
  return std::lrint(d) <= q.MERET;
}

void PONTVILAGOSIT() {
  for (BYTE i = 1; i <= 3; ++i) {
    if (PONTONVAN(i) || (MOZGAT && MELYIKMOZGAT == i) || detail::selected_vertex == i) {
      auto& p = PONT[i];
      p.R = halfway_to(p.R, 31);
      p.G = halfway_to(p.G, 63);
      p.B = halfway_to(p.B, 31);
    }
  }
}

void PONTMOZGAT() {
  if (!MOZGAT) {
    for (BYTE k = 1; k <= 3; ++k) {
      if (PONTONVAN(k) && detail::fresh_press() && PONT[k].LATSZIK) {
        MOZGAT = true;
        MELYIKMOZGAT = k;
        return;
      }
    }
    return;
  }
  if (!orla_win32::M_L) {
    MOZGAT = false;
    return;
  }
  const BYTE k = MELYIKMOZGAT;
  // the small offsets keep the three vertices from ever being dragged onto one spot exactly
  const REAL offset = k == 1 ? 0.0 : (k == 2 ? 0.1 : -0.1);
  auto& p = PONT[k];
  p.X = orla_win32::M_X + offset;
  p.Y = orla_win32::M_Y + 2 < scene_rows ? orla_win32::M_Y + offset : lowest_vertex_y + offset;
  PONT_SZAMOL(k);
}

}  // namespace vexel
