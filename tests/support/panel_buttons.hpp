// Test support: the control panel's button rectangles as the pictures and the tests expect them,
// written down independently of the program's own table.
#pragma once

#include <array>

namespace panel_test {

// Corners inclusive for the hit test; the tint covers x1..x2-1, y1..y2-1.
struct rect {
  int x1, y1, x2, y2;
};

// Buttons 1..16 (entry 0 stays empty so that the index is the button's number).
inline constexpr std::array<rect, 17> buttons{{{},
                                               {14, 499, 80, 589},
                                               {96, 507, 217, 547},
                                               {96, 549, 216, 589},
                                               {219, 508, 299, 547},
                                               {219, 549, 299, 589},
                                               {301, 508, 422, 547},
                                               {301, 550, 423, 590},
                                               {424, 508, 545, 549},
                                               {424, 550, 546, 590},
                                               {547, 507, 643, 548},
                                               {548, 550, 642, 590},
                                               {670, 529, 712, 561},
                                               {714, 530, 757, 562},
                                               {672, 563, 713, 589},
                                               {715, 564, 757, 590},
                                               {759, 504, 792, 589}}};

}  // namespace panel_test
