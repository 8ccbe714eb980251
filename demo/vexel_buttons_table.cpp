// vexel: the control panel's button rectangles and their hit tests.
#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel {

checked_array<detail::button_record, 1, 20> GOMB;

namespace {

// Rectangles of buttons 1..16: exit; menu items 2..10; help; stop, start, automatic, pointer;
// the speed slider.
constexpr detail::button_record button_rectangles[16] = {
    {14, 499, 80, 589, 0},   {96, 507, 217, 547, 0},  {96, 549, 216, 589, 0},
    {219, 508, 299, 547, 0}, {219, 549, 299, 589, 0}, {301, 508, 422, 547, 0},
    {301, 550, 423, 590, 0}, {424, 508, 545, 549, 0}, {424, 550, 546, 590, 0},
    {547, 507, 643, 548, 0}, {548, 550, 642, 590, 0}, {670, 529, 712, 561, 0},
    {714, 530, 757, 562, 0}, {672, 563, 713, 589, 0}, {715, 564, 757, 590, 0},
    {759, 504, 792, 589, 0},
};

}  // namespace

namespace detail {

void set_button_rectangles() {
  for (int n = 1; n <= last_button; ++n) {
    const button_record& r = button_rectangles[n - 1];
    GOMB[n].x1 = r.x1;
    GOMB[n].y1 = r.y1;
    GOMB[n].x2 = r.x2;
    GOMB[n].y2 = r.y2;
  }
}

}  // namespace detail

BOOLEAN GOMBONVAN(BYTE n) {
  const detail::button_record& b = GOMB[n];
  return b.x1 <= orla_win32::M_X && orla_win32::M_X <= b.x2 && b.y1 <= orla_win32::M_Y &&
         orla_win32::M_Y <= b.y2;
}

BOOLEAN GOMBKATTINT(BYTE n) {
  return (GOMBONVAN(n) && detail::fresh_press()) || detail::key_clicks(n);
}

BOOLEAN PAROS(WORD value) {
  return value % 2 == 0;
}

}  // namespace vexel
