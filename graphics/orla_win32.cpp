// orla_win32: the window and input layer: window class and window, window procedure, message
// pump, minimised state and the screen-saver switches of the command line.
#include "orla_win32.hpp"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "orla.hpp"

namespace orla_win32 {

namespace {

using namespace win32;

// The program's own icon resource.
constexpr WORD program_icon_resource = 125;

// A copy of the title, so that APPLICATIONNAME stays valid whatever the caller passed.
std::string application_name;

[[noreturn]] void windows_error(const std::string& first_line, const char* api) {
  orla::ERRORM(
      "WINDOWS ERROR",
      first_line + "\rAn unknown error occured when calling API-Function \"" + api + "\" !");
}

// The unit's start-up; also run from the window routines, so that it has happened whatever the
// order in which the program's parts were initialised.
void start_unit() {
  static bool started = false;
  if (started) return;
  started = true;
  WM_PAINT_RENDER = LEER;
  orla::AFTERPOSTPROC = GETALLMESSAGES;
  FALSEKEYS();
}

struct unit_startup {
  unit_startup() { start_unit(); }
};
const unit_startup startup;

// A decimal LONGINT as the command line gives it; 0 when it is not one.
LONGINT decimal_or_zero(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  if (start < text.size() && text[start] == '+') ++start;
  LONGINT value = 0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, value, 10);
  if (error != std::errc() || end != last || first == last) return 0;
  return value;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Key presses not yet taken by the program, oldest first; a full queue drops the newest, so a
// program that never takes them costs nothing.
constexpr std::size_t key_queue_size = 64;
std::array<detail::key_press, key_queue_size> key_queue;
std::size_t key_queue_first = 0, key_queue_count = 0;

// The press queued by the message handled last, which the WM_CHAR that comes next belongs to
// (TranslateMessage posts it right after its WM_KEYDOWN); nullptr when that was no queued press.
detail::key_press* press_awaiting_character = nullptr;

void queue_key_press(WPARAM code, LPARAM lParam) {
  if (key_queue_count == key_queue_size) return;
  detail::key_press& press = key_queue[(key_queue_first + key_queue_count++) % key_queue_size];
  press = {static_cast<WORD>(code), (lParam & KF_REPEAT_BIT) != 0, KTASTE[VK_SHIFT],
           KTASTE[VK_CONTROL]};
  press_awaiting_character = &press;
}

// A release of a button the program reads.
bool is_button_release(UINT message) {
  return message == WM_LBUTTONUP || message == WM_RBUTTONUP;
}

// A press or release of a button the program reads.
bool is_button_change(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || is_button_release(message);
}

}  // namespace

bool detail::take_key_press(key_press& press) {
  if (key_queue_count == 0) return false;
  if (press_awaiting_character == &key_queue[key_queue_first]) press_awaiting_character = nullptr;
  press = key_queue[key_queue_first];
  key_queue_first = (key_queue_first + 1) % key_queue_size;
  --key_queue_count;
  return true;
}

void detail::clear_key_presses() {
  key_queue_first = key_queue_count = 0;
  press_awaiting_character = nullptr;
}

void LEER() {}

void WINDOW_REGISTERCLASS(BYTE mode) {
  start_unit();
  WINDOW_CLASS_MAIN = WNDCLASS{};
  // a higher mode leaves the record empty, and the registration below fails
  if (mode <= 3) {
    WINDOW_CLASS_MAIN.style = mode == 3 ? CS_PARENTDC : CS_BYTEALIGNWINDOW;
    WINDOW_CLASS_MAIN.lpfnWndProc = WINDOW_EVENTHANDLE;
    WINDOW_CLASS_MAIN.cbClsExtra = 0;
    WINDOW_CLASS_MAIN.cbWndExtra = 0;
    WINDOW_CLASS_MAIN.hInstance = GetModuleHandle(nullptr);
    WINDOW_CLASS_MAIN.hCursor = LoadCursor(0, IDC_ARROW);
    WINDOW_CLASS_MAIN.hbrBackground = GetStockObject(BLACK_BRUSH);
    WINDOW_CLASS_MAIN.lpszMenuName = nullptr;
    WINDOW_CLASS_MAIN.lpszClassName = orla::WINDOWCLASS;
    WINDOW_CLASS_MAIN.hIcon = USESELFDEFINEDICON
                                  ? LoadIcon(WINDOW_CLASS_MAIN.hInstance, program_icon_resource)
                                  : LoadIcon(0, IDI_APPLICATION);
    if (WINDOW_CLASS_MAIN.hIcon == 0)
      orla::POST("INTERNAL ERROR",
                 "Loading application icon failed !\r\rNOTE : Nevertheless you can continue "
                 "with this application");
  }
  if (RegisterClass(&WINDOW_CLASS_MAIN) == 0)
    windows_error("Register window class failed !", "RegisterClass");
}

HWND WINDOW_CREATECLASS(const char* title, BYTE mode) {
  start_unit();
  application_name = title ? title : "";
  APPLICATIONNAME = application_name.c_str();

  DWORD ex_style = 0, style = 0;
  int width = 0, height = 0;
  HWND parent = 0;
  switch (mode) {
    case 0:
    case 1:
    case 2:
      ex_style = mode == 2 ? WS_EX_TOPMOST : 0;
      style = WS_POPUP | WS_VISIBLE | WS_SYSMENU;
      width = height = CW_USEDEFAULT;
      break;
    case 3:
      style = WS_CHILD | WS_VISIBLE | WS_SYSMENU;
      width = SAVER_RECT.right;
      height = SAVER_RECT.bottom;
      parent = SAVER_PARENTHANDLE;
      break;
    default:
      break;
  }
  const HWND handle = CreateWindowEx(ex_style, orla::WINDOWCLASS, APPLICATIONNAME, style, 0, 0,
                                     width, height, parent, 0, GetModuleHandle(nullptr), nullptr);
  if (handle == 0) windows_error("Creating new window failed !", "CreateWindowEx");
  ShowWindow(handle, SW_SHOWNORMAL);
  if (UpdateWindow(handle) == FALSE) windows_error("Updating window failed !", "UpdateWindow");
  WINDOW_MAIN_DEVICEHANDLE = GetDC(handle);
  if (WINDOW_MAIN_DEVICEHANDLE == 0)
    windows_error("Retrieve display device context failed !", "GetDC");
  DrawIcon(WINDOW_MAIN_DEVICEHANDLE, 0, 0, WINDOW_CLASS_MAIN.hIcon);
  return handle;
}

LRESULT WINDOW_EVENTHANDLE(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  KTASTE[256] = false;
  detail::key_press* const typed_by = std::exchange(press_awaiting_character, nullptr);
  switch (message) {
    case WM_CREATE:
      orla::APPLICATIONRUNNING = true;
      return 0;
    case WM_DESTROY:
      orla::APPLICATIONRUNNING = false;
      if (ReleaseDC(orla::WINDOW_MAIN_HANDLE, WINDOW_MAIN_DEVICEHANDLE) == 0)
        windows_error("Releasing device context failed !", "ReleaseDC");
      WINDOW_MAIN_DEVICEHANDLE = 0;
      PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      orla::MAXIMIERT = HIWORD(wParam) == 0;
      return 0;
    case WM_PAINT:
      if (USESELFDEFINEDGDIRENDER && !orla::ORLAGRAPHLOADED) {
        // changed: an unset hook is skipped instead of being called
        if (WM_PAINT_RENDER) WM_PAINT_RENDER();
        return 0;
      }
      return DefWindowProc(window, message, wParam, lParam);
    case WM_KEYDOWN:
      // changed: a code beyond the key table writes no entry instead of writing past its end;
      // it is still a key press
      if (wParam < std::size(KTASTE)) KTASTE[wParam] = true;
      KTASTE[256] = true;
      queue_key_press(wParam, lParam);
      return 0;
    case WM_CHAR:
      // the character the key press just queued typed on the user's layout
      if (typed_by && wParam <= 0xFFFF) typed_by->character = static_cast<WORD>(wParam);
      return 0;
    case WM_KEYUP:
      // changed: a code beyond the key table clears no entry instead of writing past its end
      if (wParam < std::size(KTASTE)) KTASTE[wParam] = false;
      return 0;
    case WM_SYSKEYDOWN:
      KTASTE[256] = true;
      return DefWindowProc(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
      if (PROCESSSYSCOMMANDS && (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)) return 0;
      return DefWindowProc(window, message, wParam, lParam);
    case WM_MOUSEMOVE: {
      const WORD x = LOWORD(static_cast<std::uintptr_t>(lParam));
      const WORD y = HIWORD(static_cast<std::uintptr_t>(lParam));
      M_MOVED = true;
      M_MOVED_DIFF = std::abs(LONGINT{M_X} - LONGINT{x}) + std::abs(LONGINT{M_Y} - LONGINT{y});
      M_Y = y;
      M_X = x;
      // kept: only a move with exactly one button held sets that button; moves never clear one
      if (wParam == MK_LBUTTON) M_L = true;
      if (wParam == MK_RBUTTON) M_R = true;
      return 0;
    }
    case WM_LBUTTONDOWN:
      M_L = true;
      return 0;
    case WM_LBUTTONUP:
      M_L = false;
      return 0;
    case WM_RBUTTONDOWN:
      M_R = true;
      return 0;
    case WM_RBUTTONUP:
      M_R = false;
      return 0;
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}

void GETALLMESSAGES() {
  M_MOVED = false;
  // changed: a button press or release ends the pass, and a release also starts one, the rest
  // left queued for the next, so that a frame sees the pointer where the button changed. A late
  // frame would otherwise see a press only after the moves that followed it (a drag missing its
  // vertex), a release before the moves made while the button was still held (a drag ending
  // short), and a press and its release not at all when they came in one pass (a click lost).
  // The moves before a press only bring the pointer to where it is pressed.
  bool handled_any = false;
  while (PeekMessage(&WINDOW_EVENTMESSAGE, 0, 0, 0, PM_NOREMOVE)) {
    if (is_button_release(WINDOW_EVENTMESSAGE.message) && handled_any) return;
    if (!PeekMessage(&WINDOW_EVENTMESSAGE, 0, 0, 0, PM_REMOVE)) return;
    const UINT message = WINDOW_EVENTMESSAGE.message;
    if (message == WM_QUIT) return;
    TranslateMessage(&WINDOW_EVENTMESSAGE);
    DispatchMessage(&WINDOW_EVENTMESSAGE);
    if (is_button_change(message)) return;
    handled_any = true;
  }
}

void HANDLEMINIMIZED() {
  if (orla::MAXIMIERT) {
    WASINTERRUPTED = false;
    return;
  }
  WASINTERRUPTED = true;
  do {
    GETALLMESSAGES();
  } while (!orla::MAXIMIERT && orla::APPLICATIONRUNNING);
  // keys and buttons held when the window lost the screen would otherwise stay pressed
  FALSEKEYS();
  FALSEMOUSE();
}

void CHECKWMCREATE() {
  int counter = 0;
  do {
    GETALLMESSAGES();
    ++counter;
  } while (!orla::APPLICATIONRUNNING && counter != 255);
  // changed: a WM_CREATE seen in the very last pass counts as seen
  if (!orla::APPLICATIONRUNNING)
    orla::ERRORM("WINDOWS ERROR",
                 "Creating new window failed !\rThe \"WM_Create\" message was not received after "
                 "creating a new window !");
  orla::WAITMS(500);
}

void TERMINATE() {
  if (!orla::APPLICATIONRUNNING) return;
  DestroyWindow(orla::WINDOW_MAIN_HANDLE);
  GETALLMESSAGES();
}

BOOLEAN KEYPRESSED() {
  for (const BOOLEAN held : KTASTE)
    if (held) return true;
  return false;
}

void FALSEKEYS() {
  for (BOOLEAN& held : KTASTE) held = false;
}

void FALSEMOUSE() {
  M_L = false;
  M_R = false;
}

void CENTERHWND(HWND window, LONGINT dx, LONGINT dy) {
  const LONGINT screen_w = GetSystemMetrics(SM_CXSCREEN);
  const LONGINT screen_h = GetSystemMetrics(SM_CYSCREEN);
  RECT r;
  GetWindowRect(window, &r);
  const LONGINT w = r.right - r.left;
  const LONGINT h = r.bottom - r.top;
  const HWND owner = static_cast<HWND>(static_cast<DWORD>(GetWindowLong(window, GWL_HWNDPARENT)));

  LONGINT x = 0, y = 0;
  bool placed = false;
  RECT o;
  if (owner != 0 && GetWindowRect(owner, &o)) {
    const LONGINT owner_w = o.right - o.left;
    const LONGINT owner_h = o.bottom - o.top;
    if (w <= owner_w && h <= owner_h) {
      x = o.left + (owner_w - w) / 2 + dx;
      y = o.top + (owner_h - h) / 2 + dy;
      placed = x >= 0 && y >= 0 && x + w <= screen_w && y + h <= screen_h;
    }
  }
  if (!placed) {
    x = (screen_w - w) / 2;
    y = (screen_h - h) / 2;
  }
  MoveWindow(window, x, y, w, h, TRUE);
}

void GETSAVERSETTINGS() {
  SAVER_MODE = 0;
  SAVER_PARENTHANDLE = 0;
  SAVER_RECT = {0, 0, CW_USEDEFAULT, CW_USEDEFAULT};

  const std::vector<std::string> arguments = platform::program_arguments();
  std::string flag;
  if (arguments.empty())
    SAVER_MODE = 1;
  else
    flag = upper(arguments[0]);

  if (arguments.size() >= 2) {
    SAVER_PARENTHANDLE = static_cast<HWND>(static_cast<DWORD>(decimal_or_zero(arguments[1])));
    if (GetClientRect(SAVER_PARENTHANDLE, &SAVER_RECT) == FALSE)
      orla::ERRORM("WINDOWS ERROR",
                   "An unknown error occured when calling API-Function \"GetClientRect\" !");
  }

  const std::string two = flag.substr(0, 2);
  const char one = flag.empty() ? '\0' : flag[0];
  if (two == "/C" || two == "-C" || one == 'C') SAVER_MODE = 1;
  if (two == "/P" || two == "-P" || one == 'P' || two == "/L" || two == "-L" || one == 'L')
    SAVER_MODE = 3;
  if (two == "/W" || two == "-W" || one == 'W' || two == "/S" || two == "-S" || one == 'S')
    SAVER_MODE = 2;

  if (SAVER_MODE == 2) PROCESSSYSCOMMANDS = true;
}

}  // namespace orla_win32
