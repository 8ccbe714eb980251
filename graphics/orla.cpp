// orla: the core unit: virtual windows, memory accounting, message boxes, strings,
// display mode and presentation.
#include "orla.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numbers>

#include "dravo.hpp"
#include "file_open.hpp"

namespace orla {

// ============================================================================================
// Memory accounting
// ============================================================================================

namespace {

// Every accounted block carries this header in front of its first byte; keeping it 16 bytes
// long keeps the block as aligned as malloc's own result.
struct alignas(16) block_header {
  LONGINT accounted;
};
static_assert(sizeof(block_header) == 16);

block_header* header_of(const void* block) {
  return reinterpret_cast<block_header*>(const_cast<char*>(static_cast<const char*>(block)) -
                                         sizeof(block_header));
}

[[noreturn]] void out_of_memory() {
  ERRORM("MEMORY ERROR !", "Not enough memory to run this application !");
}

void* obtain_or_resize(void* block, LONGINT size) {
  // changed: a negative size cannot be satisfied and is treated as exhaustion
  if (size < 0) out_of_memory();
  const std::size_t bytes = sizeof(block_header) + static_cast<std::size_t>(size);
  void* raw = block ? std::realloc(header_of(block), bytes) : std::malloc(bytes);
  if (raw == nullptr) out_of_memory();
  auto* header = static_cast<block_header*>(raw);
  header->accounted = size;
  return header + 1;
}

}  // namespace

LONGINT PTRMEM(const void* block) {
  return block ? header_of(block)->accounted : 0;
}

void ALLOKPTRSPEICHER(void*& block, LONGINT size) {
  if (block) TOTALALLOCMEMORY -= PTRMEM(block);
  block = obtain_or_resize(block, size);
  TOTALALLOCMEMORY += PTRMEM(block);
}

void ALLOKSPEICHER(WORD*& block, LONGINT size) {
  void* p = block;
  ALLOKPTRSPEICHER(p, size);
  block = static_cast<WORD*>(p);
}

void FREEPTRSPEICHER(void*& block) {
  if (!block) return;
  TOTALALLOCMEMORY -= PTRMEM(block);
  std::free(header_of(block));
  block = nullptr;
}

void FREESPEICHER(WORD*& block) {
  void* p = block;
  FREEPTRSPEICHER(p);
  block = static_cast<WORD*>(p);
}

void CHECKMEMORY() {
  if (TOTALALLOCMEMORY <= 0) return;
  const LONGINT n = TOTALALLOCMEMORY;
  // lrint in the default rounding mode takes halves to the even neighbour
  const long kb = std::lrint(n / 1024.0);
  const long mb = std::lrint(n / 1024.0 / 1024.0);
  std::string text = "There is still some allocated memory left !\r\r";
  text += LONGINTSTR(n) + " BYTES   or   " + std::to_string(kb) + " KB   or   " +
          std::to_string(mb) + " MB";
  POST("MEMORY MANAGEMENT ERROR !", text);
}

// ============================================================================================
// Message boxes
// ============================================================================================

namespace {

// Minimises the window around a box so that the box shows over the desktop.
void leave_graphics_for_box() {
  if (!ORLAGRAPHLOADED) return;
  MAXIMIZE(false);
  if (AFTERPOSTPROC) AFTERPOSTPROC();
}

void return_to_graphics_after_box() {
  if (!ORLAGRAPHLOADED) return;
  MAXIMIZE(true);
  if (AFTERPOSTPROC) AFTERPOSTPROC();
}

}  // namespace

void ERRORM(const std::string& caption, const std::string& text) {
  const std::string c = detail::cut255(caption), t = detail::cut255(text);
  // changed: an error while the first one's box is up (the box pumps messages, and WM_DESTROY can
  // end here) goes to standard error and ends at once, instead of a second box and a nested end
  static bool reporting = false;
  if (reporting) {
    platform::box_to_standard_error(c, t);
    std::exit(1);
  }
  reporting = true;
  CURSORVISIBLE(true);
  leave_graphics_for_box();
  win32::MessageBox(
      WINDOW_MAIN_HANDLE, t.c_str(), c.c_str(),
      win32::MB_OK | win32::MB_ICONHAND | win32::MB_SETFOREGROUND | win32::MB_TOPMOST);
  return_to_graphics_after_box();
  KILL_GRAPH();
  // changed: a fatal error ends with exit code 1, not 0, so callers see the failure
  std::exit(1);
}

void POST(const std::string& caption, const std::string& text) {
  const std::string c = detail::cut255(caption), t = detail::cut255(text);
  const BOOLEAN cursor_before = CURSOR;
  CURSORVISIBLE(true);
  leave_graphics_for_box();
  win32::MessageBox(
      WINDOW_MAIN_HANDLE, t.c_str(), c.c_str(),
      win32::MB_OK | win32::MB_ICONASTERISK | win32::MB_SETFOREGROUND | win32::MB_TOPMOST);
  return_to_graphics_after_box();
  CURSORVISIBLE(cursor_before);
}

namespace {
std::string KETTE;  // the unit's scratch string
}

BOOLEAN FILEOVERWRITE(const std::string& name) {
  std::error_code ec;
  if (!std::filesystem::exists(detail::utf8_path(name), ec)) return true;
  KETTE = detail::cut255("\"" + name + "\" already exists ! Overwrite ?");
  const BOOLEAN cursor_before = CURSOR;
  CURSORVISIBLE(true);
  leave_graphics_for_box();
  const int answer =
      win32::MessageBox(0, KETTE.c_str(), "MESSAGE",
                        win32::MB_YESNO | win32::MB_ICONQUESTION | win32::MB_TASKMODAL |
                            win32::MB_SETFOREGROUND | win32::MB_TOPMOST);
  return_to_graphics_after_box();
  CURSORVISIBLE(cursor_before);
  return answer != win32::IDNO;
}

void WAITMS(LONGINT ms) {
  const DWORD start = win32::GetTickCount();
  // changed: waits until the elapsed time (now - start, unsigned) reaches ms rather than until
  // start + ms <= now, which ends at once when start + ms wraps past the counter's top
  const DWORD wanted = static_cast<DWORD>(ms < 0 ? 0 : ms);
  while (static_cast<DWORD>(win32::GetTickCount() - start) < wanted) {
  }
}

// ============================================================================================
// String helpers
// ============================================================================================

std::string REALSTR(SINGLE value, BYTE width, BYTE decimals) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%*.*f", static_cast<int>(width), static_cast<int>(decimals),
                static_cast<double>(value));
  return detail::cut255(buffer);
}

std::string LONGINTSTR(LONGINT value) {
  return std::to_string(value);
}

std::string DEZTOHEX(LONGINT value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<unsigned>(static_cast<DWORD>(value)));
  return buffer;
}

std::string DEZTOBIN(WORD value) {
  std::string digits;
  for (WORD v = value; v != 0; v >>= 1) digits.insert(digits.begin(), (v & 1) ? '1' : '0');
  if (digits.size() < 8) digits.insert(0, 8 - digits.size(), '0');
  KETTE = digits;
  return digits;
}

std::string GETSTRING(const void* address, WORD& count) {
  const auto* bytes = static_cast<const unsigned char*>(address);
  std::string result;
  count = 0;
  while (count < detail::max_string_length) {
    const unsigned char c = bytes[count++];
    if (c == 0) break;
    result.push_back(static_cast<char>(c));
  }
  return result;
}

// ============================================================================================
// Virtual windows
// ============================================================================================

void CALCULATEVW(VIRTUALWINDOW& vw, LONGINT w, LONGINT h) {
  vw.SIZE = w * h * 2;
  vw.BREITE = w;
  vw.BREITEMINUS1 = w - 1;
  vw.BREITEDIV2 = w >> 1;
  vw.BREITEMOD2 = w % 2;
  vw.BREITEMAL2 = w * 2;
  vw.HOEHE = h;
  vw.HOEHEDIV2 = h >> 1;
  vw.HOEHEMINUS1 = h - 1;
}

void INIT_VW(VIRTUALWINDOW& vw, LONGINT w, LONGINT h, BOOLEAN clear) {
  CALCULATEVW(vw, w, h);
  // kept: always a fresh block; re-initialising without KILL_VW leaks into the report
  vw.DATA = nullptr;
  ALLOKSPEICHER(vw.DATA, vw.SIZE);
  vw.LOADED = true;
  if (clear) CLRPACKEDSPRITE(vw, 0);
}

void KILL_VW(VIRTUALWINDOW& vw) {
  if (!vw.LOADED) return;
  FREESPEICHER(vw.DATA);
  vw.LOADED = false;
}

void CLRSPRITE(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b) {
  CLRPACKEDSPRITE(vw, PACK(r, g, b));
}

namespace detail {
// Fills count pixels; a plain loop the compiler turns into wide stores.
void fill_pixels(WORD* pixels, std::size_t count, WORD colour) {
  for (std::size_t i = 0; i < count; ++i) pixels[i] = colour;
}
}  // namespace detail

void CLRPACKEDSPRITE(VIRTUALWINDOW& vw, WORD colour) {
  assert(vw.DATA != nullptr || vw.SIZE == 0);
  if (vw.DATA == nullptr || vw.SIZE <= 0) return;
  detail::fill_pixels(vw.DATA, static_cast<std::size_t>(vw.SIZE) / 2, colour);
}

void CLR_VW(WORD* buffer, WORD colour) {
  if (buffer == nullptr || DD_SIZE <= 0) return;
  // kept: whole 256-byte blocks only; a screen size that leaves a remainder leaves it unwritten
  detail::fill_pixels(buffer, (static_cast<std::size_t>(DD_SIZE) >> 8) * 128, colour);
}

// ============================================================================================
// Display mode and presentation
// ============================================================================================

void CALCULATE_SCREENSETTINGS(LONGINT w, LONGINT h) {
  DD_BREITE = w;
  DD_HOEHE = h;
  DD_BREITEMINUS1 = w - 1;
  DD_HOEHEMINUS1 = h - 1;
  DD_BREITEDIV2 = w >> 1;
  DD_HOEHEDIV2 = h >> 1;
  DD_BREITEDIV2M1 = (w >> 1) - 1;
  DD_HOEHEDIV2M1 = (h >> 1) - 1;
  DD_BREITEDIV2M1M = -((w >> 1) - 1);
  DD_HOEHEDIV2M1M = -((h >> 1) - 1);
  DD_BREITEDIV2MIN = -(w >> 1);
  DD_HOEHEDIV2MIN = -(h >> 1);
  DD_SIZE = w * h * 2;
}

void INIT_GRAPH(LONGINT w, LONGINT h) {
  if (ORLAGRAPHLOADED) return;
  // no waits around the mode change: the presenter and the backends finish each step before
  // they return, and the half second delayed the first picture
  CURSORVISIBLE(false);
  SETRESOLUTION(static_cast<DWORD>(w), static_cast<DWORD>(h), 16);
  CALCULATE_SCREENSETTINGS(w, h);
  dravo::GetDefaultDirectDraw(WINDOW_MAIN_HANDLE, w, h);
  CURSORVISIBLE(false);
  ORLAGRAPHLOADED = true;
  INIT_VW(CLEARVW, DD_BREITE, DD_HOEHE, true);
}

void KILL_GRAPH() {
  if (!ORLAGRAPHLOADED) return;
  KILL_VW(CLEARVW);
  dravo::CloseDirectDraw();
  RESETRESOLUTION();
  ORLAGRAPHLOADED = false;
  CURSORVISIBLE(true);
}

void SETRESOLUTION(DWORD w, DWORD h, DWORD bits) {
  DWORD index = 0;
  for (;;) {
    DEVICEMODEOK = win32::EnumDisplaySettings(nullptr, index++, &MYDEVICEMODE) != win32::FALSE;
    if (!DEVICEMODEOK) break;
    if (MYDEVICEMODE.dmPelsWidth == w && MYDEVICEMODE.dmPelsHeight == h &&
        MYDEVICEMODE.dmBitsPerPel == bits)
      break;
  }
  if (DEVICEMODEOK) win32::ChangeDisplaySettings(&MYDEVICEMODE, 0);
}

void RESETRESOLUTION() {
  if (DEVICEMODEOK) win32::ChangeDisplaySettings(nullptr, 0);
}

void FLIP_DD(const WORD* buffer) {
  dravo::DirectDrawBlit(buffer);
}

void FLIP_VW(const WORD* source, WORD* target) {
  if (source == nullptr || target == nullptr || DD_SIZE <= 0) return;
  // kept: whole 256-byte blocks only, as CLR_VW
  std::memmove(target, source, (static_cast<std::size_t>(DD_SIZE) >> 8) << 8);
}

void CLR_DD(WORD) {
  FLIP_DD(CLEARVW.DATA);
}

void MAXIMIZE(BOOLEAN show) {
  PLACEMENT.length = 44;
  PLACEMENT.flags = 0;
  PLACEMENT.showCmd = show ? win32::SW_RESTORE : win32::SW_MINIMIZE;
  PLACEMENT.ptMinPosition = {0, 0};
  PLACEMENT.ptMaxPosition = {0, 0};
  PLACEMENT.rcNormalPosition = {0, 0, DD_BREITEMINUS1, DD_HOEHEMINUS1};
  win32::SetWindowPlacement(WINDOW_MAIN_HANDLE, &PLACEMENT);
  MAXIMIERT = show;
}

void CURSORVISIBLE(BOOLEAN show) {
  // keeps the system's display counter within one step of where it started
  if (show) {
    if (CURSOR) {
      win32::ShowCursor(win32::FALSE);
      win32::ShowCursor(win32::TRUE);
    } else {
      win32::ShowCursor(win32::TRUE);
    }
    CURSOR = true;
  } else {
    if (!CURSOR) {
      win32::ShowCursor(win32::TRUE);
      win32::ShowCursor(win32::FALSE);
    } else {
      win32::ShowCursor(win32::FALSE);
    }
    CURSOR = false;
  }
}

// ============================================================================================
// Unit start-up
// ============================================================================================

bool detail::cpu_supported() {
#if defined(__x86_64__) || defined(_M_X64)
  return true;  // every x86-64 processor has MMX and SSE2
#elif defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("mmx");
#else
  return true;  // the blits are portable C++; no instruction set is required
#endif
}

namespace {

struct orla_startup {
  orla_startup() {
    if (!detail::cpu_supported())
      ERRORM("HARDWARE ERROR !", "Your CPU does not support the MMX technology !");
    double angle = 0.0;
    for (int i = 0; i <= 360; ++i) {
      SINUS[i] = static_cast<SINGLE>(std::sin(angle));
      COSIN[i] = static_cast<SINGLE>(std::cos(angle));
      angle += std::numbers::pi / 180.0;
    }
    CURSORVISIBLE(CURSOR);
  }
};
const orla_startup startup;

}  // namespace

}  // namespace orla
