// platform: the subset of the Win32 interface that the units call, over a backend.
#pragma once

#include <cstdint>

namespace win32 {

using BOOL = int;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HANDLE = std::uintptr_t;
using HWND = HANDLE;

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

// MessageBox flags and answers
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONASTERISK = 0x40;
inline constexpr UINT MB_TASKMODAL = 0x2000;
inline constexpr UINT MB_SETFOREGROUND = 0x10000;
inline constexpr UINT MB_TOPMOST = 0x40000;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// ShowWindow / placement commands
inline constexpr UINT SW_SHOWNORMAL = 1;
inline constexpr UINT SW_MINIMIZE = 6;
inline constexpr UINT SW_RESTORE = 9;

struct POINT {
  LONG x = 0, y = 0;
};
struct RECT {
  LONG left = 0, top = 0, right = 0, bottom = 0;
};
struct WINDOWPLACEMENT {
  UINT length = 0;
  UINT flags = 0;
  UINT showCmd = 0;
  POINT ptMinPosition, ptMaxPosition;
  RECT rcNormalPosition;
};
// The fields of a display mode that the units compare.
struct DEVMODE {
  DWORD dmBitsPerPel = 0;
  DWORD dmPelsWidth = 0;
  DWORD dmPelsHeight = 0;
  DWORD dmDisplayFrequency = 0;
};
inline constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
inline constexpr LONG DISP_CHANGE_FAILED = -1;

// Shows a modal box; answers IDOK, IDYES or IDNO.
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
// Milliseconds since start-up; 32 bits, wraps.
DWORD GetTickCount();
// Moves the cursor display counter by one; the cursor shows while it is >= 0.
int ShowCursor(BOOL show);
// Minimises or restores the window as the placement's show command says.
BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);
// Display mode number `index` of the default device; FALSE past the last.
BOOL EnumDisplaySettings(const char* device, DWORD index, DEVMODE* mode);
// Sets a display mode, or restores the desktop's with nullptr.
LONG ChangeDisplaySettings(DEVMODE* mode, DWORD flags);

}  // namespace win32
