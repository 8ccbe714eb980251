// orla_extra: point counts of digital lines, used to plan sampling before a line is walked.
#pragma once

#include "orla_types.hpp"

namespace orla_extra {

using orla::LONGINT;

// Points of the 8-connected line from (x1, y1) to (x2, y2), both ends included.
LONGINT CALCULATELINE(LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2);
// Points of the 4-connected line from (x1, y1) to (x2, y2), both ends included.
LONGINT CALCULATEDETAILLINE(LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2);

}  // namespace orla_extra
