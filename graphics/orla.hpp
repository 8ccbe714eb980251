// orla: the core unit: virtual windows, screen globals, display mode and presentation,
// memory accounting, message boxes and string helpers.
#pragma once

#include <string>

#include "orla_types.hpp"
#include "win32.hpp"

namespace orla {

// An image: a block of RGB565 pixels, row by row, with its precomputed sizes.
struct VIRTUALWINDOW {
  WORD* DATA = nullptr;
  LONGINT SIZE = 0;
  LONGINT BREITE = 0;
  LONGINT BREITEMINUS1 = 0;
  LONGINT BREITEDIV2 = 0;
  LONGINT BREITEMOD2 = 0;
  LONGINT BREITEMAL2 = 0;
  LONGINT HOEHE = 0;
  LONGINT HOEHEDIV2 = 0;
  LONGINT HOEHEMINUS1 = 0;
  BOOLEAN LOADED = false;
  std::string NAME;
};

// Packs components into a pixel by addition, without masking (components out of range spill).
constexpr WORD PACK(WORD r, WORD g, WORD b) {
  return static_cast<WORD>((r << 11) + (g << 5) + b);
}

namespace detail {
// The channels of a pixel: red 0..31, green 0..63, blue 0..31.
constexpr WORD red_of(WORD p) {
  return static_cast<WORD>(p >> 11);
}
constexpr WORD green_of(WORD p) {
  return static_cast<WORD>((p >> 5) & 63);
}
constexpr WORD blue_of(WORD p) {
  return static_cast<WORD>(p & 31);
}
// A channel widened to 8 bits, its high bits repeated below (31 -> 255, 63 -> 255).
constexpr BYTE widen5(WORD c) {
  return static_cast<BYTE>(c << 3 | c >> 2);
}
constexpr BYTE widen6(WORD c) {
  return static_cast<BYTE>(c << 2 | c >> 4);
}
// Writes the pixel as three 8-bit channels, red first (as PNG and PPM files hold them).
inline void to_rgb8(WORD p, BYTE* rgb) {
  rgb[0] = widen5(red_of(p));
  rgb[1] = widen6(green_of(p));
  rgb[2] = widen5(blue_of(p));
}
}  // namespace detail

// ---- screen globals --------------------------------------------------------------------------
inline LONGINT DD_BREITE = 0;
inline LONGINT DD_HOEHE = 0;
inline LONGINT DD_BREITEMINUS1 = 0;
inline LONGINT DD_HOEHEMINUS1 = 0;
inline LONGINT DD_BREITEDIV2 = 0;
inline LONGINT DD_HOEHEDIV2 = 0;
inline LONGINT DD_BREITEDIV2M1 = 0;
inline LONGINT DD_HOEHEDIV2M1 = 0;
inline LONGINT DD_BREITEDIV2M1M = 0;
inline LONGINT DD_HOEHEDIV2M1M = 0;
inline LONGINT DD_BREITEDIV2MIN = 0;
inline LONGINT DD_HOEHEDIV2MIN = 0;
inline LONGINT DD_SIZE = 0;

// ---- graphics-mode state ----------------------------------------------------------------------
inline BOOLEAN ORLAGRAPHLOADED = false;
inline BOOLEAN APPLICATIONRUNNING = false;
inline BOOLEAN MAXIMIERT = true;
inline BOOLEAN CURSOR = true;
inline win32::HWND WINDOW_MAIN_HANDLE = 0;
inline constexpr const char* WINDOWCLASS = "ORLA window";
inline VIRTUALWINDOW CLEARVW;
inline win32::DEVMODE MYDEVICEMODE;
inline BOOLEAN DEVICEMODEOK = false;
inline win32::WINDOWPLACEMENT PLACEMENT;
// Called after each minimise and restore around a message box (the window layer's pump).
inline void (*AFTERPOSTPROC)() = nullptr;
// sin and cos of whole degrees 0..360.
inline SINGLE SINUS[361];
inline SINGLE COSIN[361];

// ---- memory accounting ----------------------------------------------------------------------
// Bytes held through the accounting routines.
inline LONGINT TOTALALLOCMEMORY = 0;

// Accounted size of a block; 0 for nil.
LONGINT PTRMEM(const void* block);
// Obtains (block nil) or resizes (block held) a block of size bytes; fatal when memory runs out.
void ALLOKSPEICHER(WORD*& block, LONGINT size);
void ALLOKPTRSPEICHER(void*& block, LONGINT size);
// Gives a block back and sets the reference to nil; nil is ignored.
void FREESPEICHER(WORD*& block);
void FREEPTRSPEICHER(void*& block);
// Typed convenience over the POINTER flavour.
template <typename T>
void ALLOKPTRSPEICHER(T*& block, LONGINT size) {
  void* p = block;
  ALLOKPTRSPEICHER(p, size);
  block = static_cast<T*>(p);
}
template <typename T>
void FREEPTRSPEICHER(T*& block) {
  void* p = block;
  FREEPTRSPEICHER(p);
  block = static_cast<T*>(p);
}
// Reports blocks still held in a box.
void CHECKMEMORY();

// ---- message boxes --------------------------------------------------------------------------
// Fatal error: a stop box, the graphics mode closed, the program ended with exit code 1.
[[noreturn]] void ERRORM(const std::string& caption, const std::string& text);
// Information box; the program goes on.
void POST(const std::string& caption, const std::string& text);
// May the file be written? Asks before replacing an existing file.
BOOLEAN FILEOVERWRITE(const std::string& name);
// Busy wait on the tick counter.
void WAITMS(LONGINT ms);

// ---- string helpers -------------------------------------------------------------------------
std::string REALSTR(SINGLE value, BYTE width, BYTE decimals);
std::string LONGINTSTR(LONGINT value);
std::string DEZTOHEX(LONGINT value);
std::string DEZTOBIN(WORD value);
// Reads a zero-terminated text of at most 255 bytes; count := bytes read, the zero included.
std::string GETSTRING(const void* address, WORD& count);

// ---- virtual windows ------------------------------------------------------------------------
void CALCULATEVW(VIRTUALWINDOW& vw, LONGINT width, LONGINT height);
void INIT_VW(VIRTUALWINDOW& vw, LONGINT width, LONGINT height, BOOLEAN clear);
void KILL_VW(VIRTUALWINDOW& vw);
void CLRSPRITE(VIRTUALWINDOW& vw, WORD red, WORD green, WORD blue);
void CLRPACKEDSPRITE(VIRTUALWINDOW& vw, WORD colour);
// Fills a screen-sized raw buffer.
void CLR_VW(WORD* buffer, WORD colour);

// ---- display mode and presentation ----------------------------------------------------------
void CALCULATE_SCREENSETTINGS(LONGINT width, LONGINT height);
void INIT_GRAPH(LONGINT width, LONGINT height);
void KILL_GRAPH();
void SETRESOLUTION(DWORD width, DWORD height, DWORD bits);
void RESETRESOLUTION();
// Presents a screen-sized buffer.
void FLIP_DD(const WORD* buffer);
// Copies one screen-sized buffer into another.
void FLIP_VW(const WORD* source, WORD* target);
// Presents the black buffer; the colour is not used.
void CLR_DD(WORD colour);
void MAXIMIZE(BOOLEAN show);
void CURSORVISIBLE(BOOLEAN show);

namespace detail {
// True when the processor has the instructions the blits rely on.
bool cpu_supported();
}  // namespace detail

}  // namespace orla
