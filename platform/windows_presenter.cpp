// platform (Windows): the presenter over GDI. The 800 x 600 RGB565 frame goes to the window with
// StretchDIBits (BI_BITFIELDS F800/07E0/001F), nearest neighbour, letterboxed on black. A frame
// drawn at the size it is shown (windows_presenter_large.cpp) goes there 1:1, only the parts that
// changed since the one before it. The window fills the monitor it is on, without borders; F11
// and Alt+Enter switch to a normal, resizable window and back. Frames are paced to the display:
// DwmFlush where the desktop composes, else (or when it does not wait) a high-resolution waitable
// timer at the refresh rate.
//
// What it cannot do: show the frame in a true 16-bit display mode (GDI converts to the desktop's
// depth); pace to the display's own vertical blank without a compositor.
#include "windows_presenter.hpp"

#include "dravo.hpp"
#include "frame_pacer.hpp"

// dravo.hpp comes first: <windows.h> defines some of win32.hpp's names as macros
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// after <windows.h>
#include <dwmapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

void sleep_until(platform::detail::frame_pacer::clock::time_point t);

struct frame_info {
  BITMAPINFOHEADER header;
  DWORD masks[3];
};

struct presenter {
  ::HWND window = nullptr;
  int width = 0, height = 0;
  std::vector<std::uint16_t> frame;  // the last frame, for repainting
  frame_info info{};
  // the last frame drawn at the size it is shown, while the window shows it
  bool large_shown = false;
  int large_width = 0, large_height = 0;
  std::vector<std::uint16_t> large;
  bool windowed = false;   // a normal window instead of the whole monitor
  bool minimised = false;  // as last told to the units
  platform::detail::frame_pacer pacer{platform::detail::frame_pacer::clock::now, sleep_until};
  bool compositor = false;
  HANDLE timer = nullptr;
};

presenter& state() {
  static presenter p;
  return p;
}

// Where the frame goes in a client area of cw x ch: the largest size of the frame's shape.
RECT frame_rect(int cw, int ch) {
  const presenter& p = state();
  if (p.width <= 0 || p.height <= 0 || cw <= 0 || ch <= 0) return {0, 0, cw, ch};
  int w = cw, h = static_cast<int>(static_cast<long long>(cw) * p.height / p.width);
  if (h > ch) {
    h = ch;
    w = static_cast<int>(static_cast<long long>(ch) * p.width / p.height);
  }
  const int x = (cw - w) / 2, y = (ch - h) / 2;
  return {x, y, x + w, y + h};
}

frame_info bitfields(int width, int height) {
  frame_info info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = width;
  info.header.biHeight = -height;  // rows top to bottom
  info.header.biPlanes = 1;
  info.header.biBitCount = 16;
  info.header.biCompression = BI_BITFIELDS;
  info.masks[0] = 0xF800;
  info.masks[1] = 0x07E0;
  info.masks[2] = 0x001F;
  return info;
}

RECT shown_rect() {
  RECT client{};
  GetClientRect(state().window, &client);
  return frame_rect(client.right, client.bottom);
}

// Rows top..bottom-1, columns left..right-1 of the large frame, 1:1 at the picture's corner `f`.
// The rows are handed over as a DIB of their own: a top-down DIB's source row is then 0 however
// GDI counts it.
void draw_large_part(::HDC dc, const RECT& f, const RECT& part) {
  const presenter& p = state();
  const frame_info info = bitfields(p.large_width, part.bottom - part.top);
  SetDIBitsToDevice(dc, f.left + part.left, f.top + part.top,
                    static_cast<DWORD>(part.right - part.left),
                    static_cast<DWORD>(part.bottom - part.top), part.left, 0, 0,
                    static_cast<UINT>(part.bottom - part.top),
                    p.large.data() + static_cast<std::size_t>(part.top) * p.large_width,
                    reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
}

void draw(::HDC dc) {
  presenter& p = state();
  if (p.frame.empty()) return;
  RECT client{};
  GetClientRect(p.window, &client);
  const RECT f = frame_rect(client.right, client.bottom);
  // the bars beside or above and below the picture
  const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const RECT bars[] = {{0, 0, client.right, f.top},
                       {0, f.bottom, client.right, client.bottom},
                       {0, f.top, f.left, f.bottom},
                       {f.right, f.top, client.right, f.bottom}};
  for (const RECT& bar : bars)
    if (bar.right > bar.left && bar.bottom > bar.top) FillRect(dc, &bar, black);
  SetStretchBltMode(dc, COLORONCOLOR);
  if (!p.large_shown) {
    StretchDIBits(dc, f.left, f.top, f.right - f.left, f.bottom - f.top, 0, 0, p.width, p.height,
                  p.frame.data(), reinterpret_cast<const BITMAPINFO*>(&p.info), DIB_RGB_COLORS,
                  SRCCOPY);
  } else if (f.right - f.left == p.large_width && f.bottom - f.top == p.large_height) {
    draw_large_part(dc, f, {0, 0, p.large_width, p.large_height});
  } else {
    // the window changed size since: the large frame fitted until the next one comes
    const frame_info info = bitfields(p.large_width, p.large_height);
    StretchDIBits(dc, f.left, f.top, f.right - f.left, f.bottom - f.top, 0, 0, p.large_width,
                  p.large_height, p.large.data(), reinterpret_cast<const BITMAPINFO*>(&info),
                  DIB_RGB_COLORS, SRCCOPY);
  }
}

// The monitor the window is on, whole.
RECT monitor_of(::HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcMonitor;
}

constexpr LONG_PTR fullscreen_style = WS_POPUP | WS_VISIBLE | WS_SYSMENU;
constexpr LONG_PTR windowed_style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

void fill_monitor(::HWND window) {
  const RECT m = monitor_of(window);
  SetWindowLongPtrW(window, GWL_STYLE, fullscreen_style);
  SetWindowPos(window, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top,
               SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void switch_window_mode(::HWND window) {
  presenter& p = state();
  p.windowed = !p.windowed;
  if (!p.windowed) {
    fill_monitor(window);
    return;
  }
  // a window showing the frame at its own size, centred on the monitor where it fits
  const RECT m = monitor_of(window);
  RECT r{0, 0, std::max(p.width, 320), std::max(p.height, 240)};
  AdjustWindowRectEx(&r, static_cast<DWORD>(windowed_style), FALSE, 0);
  const int w = std::min<int>(r.right - r.left, m.right - m.left);
  const int h = std::min<int>(r.bottom - r.top, m.bottom - m.top);
  SetWindowLongPtrW(window, GWL_STYLE, windowed_style);
  SetWindowPos(window, HWND_NOTOPMOST, m.left + (m.right - m.left - w) / 2,
               m.top + (m.bottom - m.top - h) / 2, w, h, SWP_FRAMECHANGED);
}

// Client coordinates to frame coordinates, clamped to the frame.
std::intptr_t frame_position(std::intptr_t lParam) {
  const presenter& p = state();
  const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
  if (p.window == nullptr || p.width <= 0) return MAKELPARAM(std::max(x, 0), std::max(y, 0));
  RECT client{};
  GetClientRect(p.window, &client);
  const RECT f = frame_rect(client.right, client.bottom);
  const int fw = std::max<int>(f.right - f.left, 1), fh = std::max<int>(f.bottom - f.top, 1);
  const int fx = std::clamp<int>(
      static_cast<int>((x - f.left) * static_cast<long long>(p.width) / fw), 0, p.width - 1);
  const int fy = std::clamp<int>(
      static_cast<int>((y - f.top) * static_cast<long long>(p.height) / fh), 0, p.height - 1);
  return MAKELPARAM(fx, fy);
}

int refresh_rate() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  return EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)
             ? static_cast<int>(mode.dmDisplayFrequency)
             : 0;
}

void sleep_until(platform::detail::frame_pacer::clock::time_point t) {
  using namespace std::chrono;
  const auto left = t - platform::detail::frame_pacer::clock::now();
  if (left <= nanoseconds::zero()) return;
  presenter& p = state();
  if (p.timer == nullptr) {
    // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION where Windows has it (10 1803 and later)
    p.timer = CreateWaitableTimerExW(nullptr, nullptr, 0x00000002, TIMER_ALL_ACCESS);
    if (p.timer == nullptr) p.timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  }
  // in units of 100 ns, negative: relative
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(duration_cast<nanoseconds>(left).count() / 100);
  if (p.timer != nullptr && SetWaitableTimer(p.timer, &due, 0, nullptr, nullptr, FALSE))
    WaitForSingleObject(p.timer, INFINITE);
  else
    Sleep(static_cast<DWORD>(duration_cast<milliseconds>(left).count()));
}

}  // namespace

namespace platform::windows {

bool presenter_message(void* handle, unsigned message, std::uintptr_t& wParam,
                       std::intptr_t& lParam, std::intptr_t& result) {
  const auto window = static_cast<::HWND>(handle);
  presenter& p = state();
  result = 0;
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      lParam = frame_position(lParam);
      // a drag that leaves the window keeps reporting until the button is released
      if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) SetCapture(window);
      if (message == WM_LBUTTONUP || message == WM_RBUTTONUP) ReleaseCapture();
      return false;
    case WM_ACTIVATE:
      // Windows may say "minimised" in the activation that restores the window: what counts is
      // the window's state once the message is handled (WM_SIZE tells the rest)
      p.minimised = IsIconic(window) != FALSE;
      wParam = MAKEWPARAM(LOWORD(wParam), p.minimised ? 1 : 0);
      return false;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) {
        // Wine minimises without an activation message: the units hear of it all the same
        if (!p.minimised) PostMessageW(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
        p.minimised = true;
      } else {
        if (p.minimised) {
          // restored: the units hear it as an activation that is not minimised
          p.minimised = false;
          PostMessageW(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
        }
        // a restore puts the window back where the units' placement says: the monitor again
        if (p.window == window && !p.windowed) {
          const RECT m = monitor_of(window);
          RECT r{};
          GetWindowRect(window, &r);
          if (r.left != m.left || r.top != m.top || r.right != m.right || r.bottom != m.bottom)
            fill_monitor(window);
        }
        InvalidateRect(window, nullptr, FALSE);
      }
      return false;
    case WM_ERASEBKGND:
      // the frame and its bars cover the whole client area
      if (p.window != window || p.frame.empty()) return false;
      result = 1;
      return true;
    case WM_PAINT: {
      if (p.window != window || p.frame.empty()) return false;
      PAINTSTRUCT paint;
      const ::HDC dc = BeginPaint(window, &paint);
      draw(dc);
      EndPaint(window, &paint);
      return true;
    }
    case WM_KEYDOWN:
      if (wParam != VK_F11) return false;
      switch_window_mode(window);
      return true;
    case WM_SYSKEYDOWN:
      if (wParam != VK_RETURN || (lParam & (1 << 29)) == 0) return false;
      switch_window_mode(window);
      return true;
    case WM_SYSCHAR:
      // Alt+Enter's character would only beep
      return wParam == '\r';
    case WM_SYSCOMMAND:
      // Alt or F10 alone would open the window menu and hold the frames until it closes
      return (wParam & 0xFFF0) == SC_KEYMENU;
    default:
      return false;
  }
}

}  // namespace platform::windows

namespace dravo {

win32::BOOL GetDefaultDirectDraw(win32::HWND handle, std::int32_t width, std::int32_t height) {
  const auto window = reinterpret_cast<::HWND>(handle);
  if (width <= 0 || height <= 0 || !IsWindow(window)) return FALSE;
  presenter& p = state();
  p.window = window;
  p.width = width;
  p.height = height;
  p.frame.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  p.info = bitfields(width, height);
  p.large_shown = false;
  if (!p.windowed) fill_monitor(window);
  BOOL composed = FALSE;
  p.compositor = SUCCEEDED(DwmIsCompositionEnabled(&composed)) && composed;
  p.pacer.start(refresh_rate(), p.compositor);
  return TRUE;
}

void DirectDrawBlit(const void* pixels) {
  presenter& p = state();
  if (pixels == nullptr || p.window == nullptr) return;
  std::memcpy(p.frame.data(), pixels, p.frame.size() * sizeof(std::uint16_t));
  p.large_shown = false;
  p.pacer.wait();
  if (p.compositor) DwmFlush();
  if (const ::HDC dc = GetDC(p.window)) {
    draw(dc);
    ReleaseDC(p.window, dc);
  }
  p.pacer.presented();
}

void CloseDirectDraw() {
  presenter& p = state();
  p.window = nullptr;
  p.frame.clear();
  p.large.clear();
  p.large_shown = false;
  p.large_width = p.large_height = 0;
  if (p.timer != nullptr) {
    CloseHandle(p.timer);
    p.timer = nullptr;
  }
}

}  // namespace dravo

namespace dravo::detail {

void shown_size(int& width, int& height) {
  width = height = 0;
  const presenter& p = state();
  if (p.window == nullptr || p.frame.empty() || p.minimised) return;
  const RECT f = shown_rect();
  width = f.right - f.left;
  height = f.bottom - f.top;
}

void blit_large(const void* pixels, int width, int height, const win32::RECT* changed, int count) {
  presenter& p = state();
  if (pixels == nullptr || p.window == nullptr || width <= 0 || height <= 0) return;
  // whole after the ordinary frame, or a frame of another size
  const bool whole = !p.large_shown || width != p.large_width || height != p.large_height;
  p.large_width = width;
  p.large_height = height;
  const auto parts =
      platform::windows::take_large_frame(p.large, pixels, width, height, changed, count, whole);
  p.large_shown = true;
  p.pacer.wait();
  if (p.compositor) DwmFlush();
  if (const ::HDC dc = GetDC(p.window)) {
    const RECT f = shown_rect();
    // the window shows the last large frame where it is (WM_PAINT redraws it whole after a
    // resize): only the changed parts go to it
    if (whole || f.right - f.left != width || f.bottom - f.top != height)
      draw(dc);
    else
      for (const auto& part : parts)
        draw_large_part(dc, f, {part.left, part.top, part.right, part.bottom});
    ReleaseDC(p.window, dc);
  }
  p.pacer.presented();
}

}  // namespace dravo::detail
