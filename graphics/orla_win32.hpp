// orla_win32: the window and input layer: one window, its messages turned into input globals.
#pragma once

#include "orla_types.hpp"
#include "win32.hpp"

namespace orla_win32 {

using orla::BOOLEAN;
using orla::BYTE;
using orla::LONGINT;
using orla::WORD;

// ---- input ------------------------------------------------------------------------------------
// Last mouse position in client (frame) coordinates.
inline WORD M_X = 0;
inline WORD M_Y = 0;
// Left and right button held.
inline BOOLEAN M_L = false;
inline BOOLEAN M_R = false;
// Entry k is true while the key with virtual-key code k is held; 256 marks a key press as the
// last message handled.
inline BOOLEAN KTASTE[257] = {};
namespace detail {
// One key press as the window procedure took it: its virtual-key code, whether it was the
// keyboard's auto-repeat, whether Shift or Ctrl was held with it, and the character it typed on
// the user's layout (the WM_CHAR that follows its WM_KEYDOWN; 0 when it typed none).
struct key_press {
  WORD code = 0;
  bool repeat = false;
  bool shift = false;
  bool control = false;
  WORD character = 0;
};
// Takes the oldest key press not yet taken; false when there is none. The table of held keys
// cannot tell a press and its release that arrive between two frames; this queue keeps it.
bool take_key_press(key_press& press);
// Forgets every key press not yet taken.
void clear_key_presses();
}  // namespace detail
// A mouse move was handled since the last pump began, and how far it moved.
inline BOOLEAN M_MOVED = false;
inline LONGINT M_MOVED_DIFF = 0;

// ---- behaviour switches and state -------------------------------------------------------------
// The window swallows the screen-saver and monitor-power system commands.
inline BOOLEAN PROCESSSYSCOMMANDS = false;
// HANDLEMINIMIZED found the window minimised and waited.
inline BOOLEAN WASINTERRUPTED = false;
// WM_PAINT calls WM_PAINT_RENDER instead of the default handling (while no graphics mode is open).
inline BOOLEAN USESELFDEFINEDGDIRENDER = false;
// The class icon is the program's icon resource 125 instead of the system application icon.
inline BOOLEAN USESELFDEFINEDICON = false;

// Does nothing; the default paint hook.
void LEER();
// The paint hook.
inline void (*WM_PAINT_RENDER)() = LEER;
// What a paint hook may use.
inline win32::PAINTSTRUCT WINDOW_PAINT_STRUCTURE;
inline win32::HDC WINDOW_PAINT_DEVICEHANDLE = 0;

// ---- screen-saver settings --------------------------------------------------------------------
// Window mode chosen by GETSAVERSETTINGS (0..3).
inline BYTE SAVER_MODE = 0;
// Parent window for mode 3 and its client rectangle.
inline win32::HWND SAVER_PARENTHANDLE = 0;
inline win32::RECT SAVER_RECT;

// ---- the window -------------------------------------------------------------------------------
// The window title given to WINDOW_CREATECLASS.
inline const char* APPLICATIONNAME = nullptr;
// The class record registered.
inline win32::WNDCLASS WINDOW_CLASS_MAIN;
// The window's device context, from creation to WM_DESTROY.
inline win32::HDC WINDOW_MAIN_DEVICEHANDLE = 0;
// The message record used by the pump.
inline win32::MSG WINDOW_EVENTMESSAGE;

// Fills WINDOW_CLASS_MAIN for the window mode (0..3) and registers it; fatal on failure.
void WINDOW_REGISTERCLASS(BYTE mode);
// Creates, shows and prepares the window; returns its handle (store it in WINDOW_MAIN_HANDLE).
win32::HWND WINDOW_CREATECLASS(const char* title, BYTE mode);
// The window procedure.
win32::LRESULT WINDOW_EVENTHANDLE(win32::HWND window, win32::UINT message, win32::WPARAM wParam,
                                  win32::LPARAM lParam);
// Waits until WM_CREATE was seen; fatal after 255 pump passes.
void CHECKWMCREATE();
// Dispatches every pending message without waiting.
void GETALLMESSAGES();
// While the window is minimised, pumps until it is restored or gone; then releases all input.
void HANDLEMINIMIZED();
// Destroys the window if it still exists.
void TERMINATE();
// Any key down.
BOOLEAN KEYPRESSED();
// Releases every key.
void FALSEKEYS();
// Releases both mouse buttons.
void FALSEMOUSE();
// Centres a window over its owner (or the screen), offset by (dx, dy).
void CENTERHWND(win32::HWND window, LONGINT dx, LONGINT dy);
// Reads the screen-saver switches of the command line into SAVER_MODE, SAVER_PARENTHANDLE and
// SAVER_RECT.
void GETSAVERSETTINGS();

}  // namespace orla_win32
