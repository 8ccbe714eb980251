// platform: frames drawn at the size they are shown, on Windows: not yet drawn by the GDI
// presenter, which shows the 800 x 600 frame enlarged; the program learns it from the shown
// size and draws the original picture.
#include "dravo.hpp"

namespace dravo::detail {

void shown_size(int& width, int& height) {
  width = height = 0;
}

void blit_large(const void*, int, int, const win32::RECT*, int) {}

}  // namespace dravo::detail
