// platform: the subset of the Win32 interface that the units call, over a backend.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace win32 {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ATOM = std::uint16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HANDLE = std::uintptr_t;
using HWND = HANDLE;
using HDC = HANDLE;
using HICON = HANDLE;
using HCURSOR = HANDLE;
using HBRUSH = HANDLE;
using HGDIOBJ = HANDLE;
using HMENU = HANDLE;
using HINSTANCE = HANDLE;

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

// ---- messages -----------------------------------------------------------------------------------
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;

// WM_ACTIVATE: low word of wParam; the high word is non-zero while the window is minimised.
inline constexpr WORD WA_INACTIVE = 0;
inline constexpr WORD WA_ACTIVE = 1;

// WM_SYSCOMMAND commands
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_KEYMENU = 0xF100;
inline constexpr WPARAM SC_RESTORE = 0xF120;
inline constexpr WPARAM SC_SCREENSAVE = 0xF140;
inline constexpr WPARAM SC_MONITORPOWER = 0xF170;

// Button and modifier mask in wParam of the mouse messages
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;

// Key messages: lParam bit 29 says Alt is held, bit 30 that the key was already down.
inline constexpr LPARAM KF_ALTDOWN_BIT = LPARAM{1} << 29;
inline constexpr LPARAM KF_REPEAT_BIT = LPARAM{1} << 30;

// Virtual-key codes (letters and digits are their upper-case ASCII codes)
inline constexpr WORD VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10,
                      VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
                      VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
                      VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
                      VK_DOWN = 0x28, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
                      VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_NUMPAD0 = 0x60,
                      VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
                      VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F4 = 0x73, VK_F10 = 0x79, VK_F11 = 0x7A,
                      VK_F12 = 0x7B, VK_F24 = 0x87, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
                      VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
                      VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB,
                      VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE, VK_OEM_102 = 0xE2;

// PeekMessage
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

// ---- window classes, styles and metrics ---------------------------------------------------------
inline constexpr UINT CS_PARENTDC = 0x0080;
inline constexpr UINT CS_BYTEALIGNWINDOW = 0x2000;
inline constexpr DWORD WS_POPUP = 0x80000000u;
inline constexpr DWORD WS_CHILD = 0x40000000u;
inline constexpr DWORD WS_VISIBLE = 0x10000000u;
inline constexpr DWORD WS_SYSMENU = 0x00080000u;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWL_HWNDPARENT = -8;
// Resource numbers: the system's application icon and arrow cursor.
inline constexpr WORD IDI_APPLICATION = 32512;
inline constexpr WORD IDC_ARROW = 32512;
// GetStockObject
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int BLACK_BRUSH = 4;

// MessageBox flags and answers
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONASTERISK = 0x40;
inline constexpr UINT MB_TASKMODAL = 0x2000;
inline constexpr UINT MB_SETFOREGROUND = 0x10000;
inline constexpr UINT MB_TOPMOST = 0x40000;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// ShowWindow / placement commands
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// ---- records ------------------------------------------------------------------------------------
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

// A window procedure.
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASS {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = 0;
  HICON hIcon = 0;
  HCURSOR hCursor = 0;
  HBRUSH hbrBackground = 0;
  const char* lpszMenuName = nullptr;
  const char* lpszClassName = nullptr;
};

struct MSG {
  HWND hwnd = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};

struct PAINTSTRUCT {
  HDC hdc = 0;
  BOOL fErase = FALSE;
  RECT rcPaint;
  BOOL fRestore = FALSE;
  BOOL fIncUpdate = FALSE;
  BYTE rgbReserved[32] = {};
};

// Word helpers of the message parameters.
constexpr WORD LOWORD(std::uintptr_t v) {
  return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t v) {
  return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// ---- windows and classes ------------------------------------------------------------------------
// The running program's instance handle (nullptr: this program).
HINSTANCE GetModuleHandle(const char* module);
// Registers a window class; 0 when the record is incomplete or the name is taken.
ATOM RegisterClass(const WNDCLASS* window_class);
// Creates a window of a registered class; WM_CREATE reaches the window procedure before this
// returns. CW_USEDEFAULT: at (0, 0); the screen's size, none for a pop-up or child window.
// 0 on failure (unknown class or parent, WM_CREATE answered -1, no window system).
HWND CreateWindowEx(DWORD ex_style, const char* class_name, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    void* param);
// Shows, hides, minimises or restores; answers whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
// Delivers a pending WM_PAINT at once; FALSE for an unknown window.
BOOL UpdateWindow(HWND window);
// The window's device context; 0 for an unknown window.
HDC GetDC(HWND window);
// Gives back a device context obtained by GetDC for that window; 0 otherwise.
int ReleaseDC(HWND window, HDC dc);
// Destroys the window (its children first); WM_DESTROY reaches the procedure before it returns.
BOOL DestroyWindow(HWND window);
// TRUE for a window that exists (also one of another program made known to the platform).
BOOL IsWindow(HWND window);
// Minimises or restores the window as the placement's show command says.
BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);
// Window rectangle in screen coordinates.
BOOL GetWindowRect(HWND window, RECT* rect);
// Client rectangle: (0, 0, width, height).
BOOL GetClientRect(HWND window, RECT* rect);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
// GWL_STYLE, GWL_EXSTYLE or GWL_HWNDPARENT (the parent or owner); 0 otherwise.
LONG GetWindowLong(HWND window, int index);
// Resources by number: the system's (instance 0) or the program's.
HICON LoadIcon(HINSTANCE instance, WORD resource);
HCURSOR LoadCursor(HINSTANCE instance, WORD resource);
HGDIOBJ GetStockObject(int object);
// Draws an icon into a device context; FALSE for an unknown context or icon.
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// ---- messages -----------------------------------------------------------------------------------
// Posts WM_QUIT to the queue: PeekMessage returns it once the posted messages are taken.
void PostQuitMessage(int exit_code);
// Takes the next message (optionally only one window's) without waiting; FALSE when none.
BOOL PeekMessage(MSG* msg, HWND window, UINT filter_min, UINT filter_max, UINT remove);
// TRUE for key messages. The character a key press typed comes as WM_CHAR right after its
// WM_KEYDOWN, as Win32's TranslateMessage posts it; here the backend posts it, since the window
// system, not this layer, knows the user's keyboard layout.
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of the message's window; 0 when it has none.
LRESULT DispatchMessage(const MSG* msg);
// The default handling: WM_CLOSE destroys the window, Alt+F4 posts the close command, the system
// commands minimise, restore, close and start the screen saver.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sends a message straight to the window procedure; 0 for an unknown window.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Appends a message to the queue; FALSE for an unknown window.
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- system -------------------------------------------------------------------------------------
// Shows a modal box; answers IDOK, IDYES or IDNO.
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
// Milliseconds since start-up; 32 bits, wraps.
DWORD GetTickCount();
// Moves the cursor display counter by one; the cursor shows while it is >= 0.
int ShowCursor(BOOL show);
// SM_CXSCREEN, SM_CYSCREEN: the screen size in the current display mode.
int GetSystemMetrics(int index);
// Display mode number `index` of the default device; FALSE past the last.
BOOL EnumDisplaySettings(const char* device, DWORD index, DEVMODE* mode);
// Sets a display mode, or restores the desktop's with nullptr.
LONG ChangeDisplaySettings(DEVMODE* mode, DWORD flags);

}  // namespace win32

namespace platform {

// The program's command-line arguments, without the program name.
std::vector<std::string> program_arguments();
// Writes a message box's caption and text (its lines separated by carriage returns) to standard
// error, for when no box can be shown.
void box_to_standard_error(const std::string& caption, const std::string& text);

}  // namespace platform
