// platform: the presenter's entry points, forwarded to the backend.
#include "dravo.hpp"

#include "backend.hpp"

namespace dravo {

win32::BOOL GetDefaultDirectDraw(win32::HWND window, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return win32::FALSE;
  return platform::detail::backend_present_open(window, width, height) ? win32::TRUE : win32::FALSE;
}

void DirectDrawBlit(const void* pixels) {
  if (pixels != nullptr) platform::detail::backend_present(pixels);
}

void CloseDirectDraw() {
  platform::detail::backend_present_close();
}

void detail::shown_size(int& width, int& height) {
  width = height = 0;
  platform::detail::backend_present_shown_size(width, height);
}

void detail::blit_large(const void* pixels, int width, int height, const win32::RECT* changed,
                        int count) {
  if (pixels != nullptr && width > 0 && height > 0)
    platform::detail::backend_present_large(pixels, width, height, changed,
                                            changed != nullptr ? count : 0);
}

}  // namespace dravo
