// A probe of what the window layer relies on, run on Windows itself (under Wine here): the
// messages and answers of the calls as the real user32 gives them, one line each, so that the
// Win32 stand-in (platform/win32_*.cpp) can be held against them. Not a test: it reports.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> seen;
bool recording = false;

const char* name_of(UINT m) {
  switch (m) {
    case WM_CREATE:
      return "WM_CREATE";
    case WM_DESTROY:
      return "WM_DESTROY";
    case WM_ACTIVATE:
      return "WM_ACTIVATE";
    case WM_PAINT:
      return "WM_PAINT";
    case WM_CLOSE:
      return "WM_CLOSE";
    case WM_SYSCOMMAND:
      return "WM_SYSCOMMAND";
    case WM_SIZE:
      return "WM_SIZE";
    case WM_SHOWWINDOW:
      return "WM_SHOWWINDOW";
    case WM_CHAR:
      return "WM_CHAR";
    case WM_KEYDOWN:
      return "WM_KEYDOWN";
    case WM_USER + 1:
      return "WM_USER+1";
    default:
      return nullptr;
  }
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (recording) {
    if (const char* name = name_of(message)) {
      char line[160];
      std::snprintf(line, sizeof line, "%s(%#llx, %#llx)", name,
                    static_cast<unsigned long long>(wParam),
                    static_cast<unsigned long long>(lParam));
      seen.push_back(line);
    }
  }
  if (message == WM_USER + 1) {
    // the box of the probe is open: close it as a user would
    if (HWND box = FindWindowW(L"#32770", L"probe box")) PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void report(const char* what) {
  std::printf("%s:", what);
  for (const std::string& s : seen) std::printf(" %s", s.c_str());
  std::printf("\n");
  seen.clear();
}

void pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      char line[40];
      std::snprintf(line, sizeof line, "WM_QUIT(%llu)", static_cast<unsigned long long>(m.wParam));
      seen.push_back(line);
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

}  // namespace

int main() {
  WNDCLASSW c{};
  c.lpfnWndProc = procedure;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = L"probe";
  c.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  // one call a statement: the order of a call's arguments is the compiler's
  const bool registered = RegisterClassW(&c) != 0;
  const bool again = RegisterClassW(&c) != 0;
  std::printf("RegisterClass: %d; the same name again: %d\n", registered, again);

  recording = true;
  HWND w = CreateWindowExW(0, L"probe", L"probe", WS_POPUP | WS_VISIBLE | WS_SYSMENU, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                           c.hInstance, nullptr);
  report("CreateWindowEx(WS_POPUP|WS_VISIBLE) sends");
  RECT r;
  GetWindowRect(w, &r);
  std::printf("popup with CW_USEDEFAULT: %ld,%ld %ldx%ld (screen %dx%d)\n", r.left, r.top,
              r.right - r.left, r.bottom - r.top, GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN));
  std::printf("ShowWindow(SW_SHOWNORMAL) on the visible window answers %d\n",
              ShowWindow(w, SW_SHOWNORMAL));
  report("  and sends");
  std::printf("UpdateWindow: %d\n", UpdateWindow(w));
  report("  sends");
  pump();
  report("queue after creation");

  const int hidden = ShowCursor(FALSE);
  const int shown = ShowCursor(TRUE);
  const int twice = ShowCursor(TRUE);
  const int back = ShowCursor(FALSE);
  std::printf(
      "ShowCursor(FALSE) %d, ShowCursor(TRUE) %d, ShowCursor(TRUE) %d, ShowCursor(FALSE) %d\n",
      hidden, shown, twice, back);

  ShowWindow(w, SW_MINIMIZE);
  report("ShowWindow(SW_MINIMIZE) sends");
  pump();
  report("  then the queue");
  ShowWindow(w, SW_RESTORE);
  report("ShowWindow(SW_RESTORE) sends");
  pump();
  report("  then the queue");
  WINDOWPLACEMENT p{};
  p.length = sizeof p;
  p.showCmd = SW_MINIMIZE;
  p.rcNormalPosition = {0, 0, 799, 599};
  SetWindowPlacement(w, &p);
  report("SetWindowPlacement(SW_MINIMIZE) sends");
  p.showCmd = SW_RESTORE;
  SetWindowPlacement(w, &p);
  report("SetWindowPlacement(SW_RESTORE) sends");
  GetWindowRect(w, &r);
  std::printf("  window then %ld,%ld %ldx%ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  pump();
  report("  then the queue");

  PostMessageW(w, WM_USER + 1, 0, 0);
  const int answer = MessageBoxW(w, L"line 1\rline 2", L"probe box", MB_OK);
  report("MessageBox dispatched while open");
  std::printf("  answer %d\n", answer);
  pump();
  report("  then the queue");

  PostMessageW(w, WM_KEYDOWN, 'A', 1 | (0x1E << 16));
  pump();
  report("a posted WM_KEYDOWN 'A' through TranslateMessage gives");

  SendMessageW(w, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29) | (0x3E << 16));
  report("DefWindowProc of WM_SYSKEYDOWN Alt+F4 sends");
  std::printf("  window exists: %d\n", IsWindow(w));
  pump();
  report("  then the queue");

  HWND w2 = CreateWindowExW(0, L"probe", L"probe 2", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            c.hInstance, nullptr);
  seen.clear();
  SendMessageW(w2, WM_CLOSE, 0, 0);
  report("DefWindowProc of WM_CLOSE sends");
  std::printf("  window exists: %d\n", IsWindow(w2));
  PostQuitMessage(3);
  PostMessageW(nullptr, WM_USER + 2, 0, 0);
  MSG m;
  std::string order;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    char number[16];
    std::snprintf(number, sizeof number, " %u", m.message);
    order += number;
    if (m.message == WM_QUIT) break;
  }
  std::printf("PostQuitMessage then a posted message: taken in the order%s (WM_QUIT = %d)\n",
              order.c_str(), WM_QUIT);
  return 0;
}
