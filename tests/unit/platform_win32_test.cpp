// Tests of the Win32 subset shared by the backends: classes, windows, the queue, the default
// window procedure, the input the backends post, the cursor counter and the presenter, on the
// headless backend; the desktop's dialog programs that the SDL backend falls back on; and the frame
// pacer of the real backend.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "backend.hpp"
#ifndef _WIN32
#include "desktop_dialog.hpp"
#endif
#include "dravo.hpp"
#include "frame_pacer.hpp"
#include "headless.hpp"
#include "win32.hpp"
#include "windows_presenter.hpp"

using namespace win32;

namespace {

struct seen {
  HWND window;
  UINT message;
  WPARAM wParam;
};
std::vector<seen> seen_messages;
bool refuse_creation = false;

LRESULT recording_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen_messages.push_back({window, message, wParam});
  if (message == WM_CREATE && refuse_creation) return -1;
  return DefWindowProc(window, message, wParam, lParam);
}

std::vector<UINT> messages_of(HWND window) {
  std::vector<UINT> result;
  for (const seen& s : seen_messages)
    if (s.window == window) result.push_back(s.message);
  return result;
}

class Win32 : public testing::Test {
 protected:
  void SetUp() override {
    headless::reset_window_system();
    seen_messages.clear();
    refuse_creation = false;
    WNDCLASS wc;
    wc.lpfnWndProc = recording_procedure;
    wc.lpszClassName = "recorder";
    ASSERT_NE(RegisterClass(&wc), 0);
  }
  void TearDown() override { headless::reset_window_system(); }

  HWND create(DWORD style = WS_POPUP | WS_VISIBLE, HWND parent = 0, int w = 100, int h = 50) {
    return CreateWindowEx(0, "recorder", "t", style, 10, 20, w, h, parent, 0,
                          GetModuleHandle(nullptr), nullptr);
  }
};

}  // namespace

TEST_F(Win32, ClassesNeedAProcedureAndAFreeName) {
  WNDCLASS wc;
  wc.lpszClassName = "no procedure";
  EXPECT_EQ(RegisterClass(&wc), 0);
  wc.lpfnWndProc = recording_procedure;
  wc.lpszClassName = "";
  EXPECT_EQ(RegisterClass(&wc), 0);
  wc.lpszClassName = "RECORDER";  // class names ignore case
  EXPECT_EQ(RegisterClass(&wc), 0);
  EXPECT_EQ(RegisterClass(nullptr), 0);
  EXPECT_EQ(CreateWindowEx(0, "unknown", "t", 0, 0, 0, 1, 1, 0, 0, 0, nullptr), 0u);
}

TEST_F(Win32, CreationSendsWmCreateBeforeReturningAndMayBeRefused) {
  const HWND h = create();
  ASSERT_NE(h, 0u);
  const std::vector<UINT> expected = {WM_CREATE, WM_ACTIVATE};
  EXPECT_EQ(messages_of(h), expected) << "created, then activated as it is shown";
  EXPECT_TRUE(headless::window_visible(h));

  refuse_creation = true;
  seen_messages.clear();
  EXPECT_EQ(create(), 0u);
  ASSERT_EQ(seen_messages.size(), 2u);
  EXPECT_EQ(seen_messages[1].message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(seen_messages[0].window));
  refuse_creation = false;

  EXPECT_EQ(create(WS_CHILD | WS_VISIBLE, 0), 0u) << "a child needs a parent";
  EXPECT_EQ(create(WS_POPUP, 0x7777), 0u) << "an owner that is no window";
}

TEST_F(Win32, DefaultSizeIsTheScreenInTheCurrentModeAndNoneForAPopup) {
  RECT r;
  // as Windows gives it: a pop-up window has no default size
  HWND h = CreateWindowEx(0, "recorder", "t", WS_POPUP, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, 0, 0, 0,
                          nullptr);
  ASSERT_TRUE(GetWindowRect(h, &r));
  EXPECT_EQ(r.right - r.left, 0);
  EXPECT_EQ(r.bottom - r.top, 0);
  h = CreateWindowEx(0, "recorder", "t", 0, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, 0, 0, 0, nullptr);
  ASSERT_TRUE(GetWindowRect(h, &r));
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(r.right, 1024);

  DEVMODE mode{16, 800, 600, 60};
  ASSERT_EQ(ChangeDisplaySettings(&mode, 0), DISP_CHANGE_SUCCESSFUL);
  h = CreateWindowEx(0, "recorder", "t", 0, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, 0, 0, 0, nullptr);
  ASSERT_TRUE(GetClientRect(h, &r));
  EXPECT_EQ(r.right, 800);
  EXPECT_EQ(r.bottom, 600);
  ChangeDisplaySettings(nullptr, 0);
}

TEST_F(Win32, DestroyTakesChildrenTheirMessagesAndContexts) {
  const HWND parent = create();
  const HWND child = create(WS_CHILD | WS_VISIBLE, parent, 30, 30);
  ASSERT_NE(child, 0u);
  RECT r;
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 20) << "a child is placed in its parent's client area";
  EXPECT_EQ(r.top, 40);
  const HDC dc = GetDC(parent);
  ASSERT_NE(dc, 0u);
  EXPECT_EQ(ReleaseDC(child, dc), 0) << "only with the window it came from";
  PostMessage(child, WM_KEYDOWN, 'A', 0);
  PostMessage(0, WM_NULL, 0, 0);  // a message for no window stays

  seen_messages.clear();
  EXPECT_TRUE(DestroyWindow(parent));
  ASSERT_EQ(seen_messages.size(), 2u);
  EXPECT_EQ(seen_messages[0].window, parent);
  EXPECT_EQ(seen_messages[0].message, WM_DESTROY);
  EXPECT_EQ(seen_messages[1].window, child);
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_EQ(ReleaseDC(parent, dc), 0);

  MSG m;
  ASSERT_TRUE(PeekMessage(&m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_NULL);
  EXPECT_FALSE(PeekMessage(&m, 0, 0, 0, PM_REMOVE));
}

TEST_F(Win32, QueueOrderFiltersQuitAndPaint) {
  const HWND a = create();
  const HWND b = create();
  MSG m;
  while (PeekMessage(&m, 0, 0, 0, PM_REMOVE)) {
  }  // the first paints of a and b

  PostMessage(a, WM_KEYDOWN, 1, 0);
  PostMessage(b, WM_MOUSEMOVE, 2, 0);
  PostMessage(a, WM_LBUTTONDOWN, 3, 0);
  PostQuitMessage(7);
  MoveWindow(b, 0, 0, 10, 10, TRUE);  // needs painting again

  ASSERT_TRUE(PeekMessage(&m, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_MOUSEMOVE);
  ASSERT_TRUE(PeekMessage(&m, 0, WM_MOUSEMOVE, WM_RBUTTONUP, PM_REMOVE));
  EXPECT_EQ(m.message, WM_MOUSEMOVE) << "the first in the range, not the first in the queue";
  ASSERT_TRUE(PeekMessage(&m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_KEYDOWN);
  ASSERT_TRUE(PeekMessage(&m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_LBUTTONDOWN);
  ASSERT_TRUE(PeekMessage(&m, b, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT) << "quit passes every filter";
  EXPECT_EQ(m.wParam, 7u);
  ASSERT_TRUE(PeekMessage(&m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_PAINT);
  EXPECT_EQ(m.hwnd, b);
  EXPECT_FALSE(PeekMessage(&m, 0, 0, 0, PM_REMOVE)) << "painted once, quit taken once";
}

TEST_F(Win32, DefaultProcedureClosesMinimisesAndRestores) {
  const HWND h = create();
  seen_messages.clear();
  DefWindowProc(h, WM_SYSKEYDOWN, VK_F4, 0);  // F4 without Alt does nothing
  EXPECT_TRUE(IsWindow(h));

  DefWindowProc(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(headless::window_restored());
  ASSERT_FALSE(seen_messages.empty());
  EXPECT_EQ(seen_messages.back().message, WM_ACTIVATE);
  EXPECT_NE(HIWORD(seen_messages.back().wParam), 0) << "the high word says minimised";
  DefWindowProc(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(headless::window_restored());
  EXPECT_EQ(HIWORD(seen_messages.back().wParam), 0);
  EXPECT_EQ(LOWORD(seen_messages.back().wParam), WA_ACTIVE);

  DefWindowProc(h, WM_SYSKEYDOWN, VK_F4, KF_ALTDOWN_BIT);
  EXPECT_TRUE(IsWindow(h)) << "Windows posts the close command";
  MSG m;
  while (PeekMessage(&m, 0, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  EXPECT_FALSE(IsWindow(h));
  const std::vector<UINT> all = messages_of(h);
  ASSERT_GE(all.size(), 3u);
  const std::vector<UINT> closing = {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY};
  EXPECT_EQ(std::vector<UINT>(all.end() - 3, all.end()), closing);
}

TEST_F(Win32, InputAsTheBackendsPostIt) {
  const HWND h = create();
  MSG m;
  while (PeekMessage(&m, 0, 0, 0, PM_REMOVE)) {
  }
  platform::detail::forget_mouse_position();
  platform::detail::post_mouse_move(h, 5, 6, 0);
  platform::detail::post_mouse_move(h, 5, 6, 0);  // nothing new: dropped
  // a press where no move was reported: the move comes first, without the button
  platform::detail::post_mouse_button(h, 7, 8, platform::detail::mouse_button::right, true,
                                      MK_RBUTTON);
  platform::detail::post_key(h, 'Q', false, false, false, 0x10);
  platform::detail::post_key(h, VK_F4, true, false, true, 0x3E);
  const struct {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  } expected[] = {{WM_MOUSEMOVE, 0, MAKELPARAM(5, 6)},
                  {WM_MOUSEMOVE, 0, MAKELPARAM(7, 8)},
                  {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(7, 8)},
                  {WM_KEYUP, 'Q', static_cast<LPARAM>(0xC0100001u)},
                  {WM_SYSKEYDOWN, VK_F4, 0x203E0001}};
  for (const auto& e : expected) {
    ASSERT_TRUE(PeekMessage(&m, 0, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, e.message);
    EXPECT_EQ(m.wParam, e.wParam);
    EXPECT_EQ(m.lParam, e.lParam);
    DispatchMessage(&m);
  }
  // the close command it posts
  while (PeekMessage(&m, 0, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  EXPECT_FALSE(IsWindow(h)) << "Alt+F4 as a keyboard gives it closes the window";
}

TEST_F(Win32, CursorDisplayCounter) {
  const int start = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  EXPECT_EQ(ShowCursor(FALSE), start - 1);
  EXPECT_EQ(headless::cursor_visible(), start - 1 >= 0);
  EXPECT_EQ(ShowCursor(FALSE), start - 2);
  EXPECT_FALSE(headless::cursor_visible());
  ShowCursor(TRUE);
  EXPECT_EQ(ShowCursor(TRUE), start);
  EXPECT_EQ(headless::cursor_visible(), start >= 0);
}

TEST_F(Win32, CommandLineComesFromTheProcess) {
  std::vector<std::string> expected = testing::internal::GetArgvs();
  expected.erase(expected.begin());
  EXPECT_EQ(platform::program_arguments(), expected);
  headless::set_program_arguments({"/s"});
  EXPECT_EQ(platform::program_arguments(), std::vector<std::string>{"/s"});
}

TEST(Presenter, CopiesEachFrameCompletely) {
  EXPECT_EQ(dravo::GetDefaultDirectDraw(0, 0, 600), FALSE);
  ASSERT_EQ(dravo::GetDefaultDirectDraw(0, 4, 2), TRUE);
  std::vector<std::uint16_t> frame = {1, 2, 3, 4, 5, 6, 7, 0xFFFF};
  const auto before = headless::frames_presented();
  dravo::DirectDrawBlit(frame.data());
  frame[7] = 0;  // the caller writes again at once
  EXPECT_EQ(headless::last_frame().back(), 0xFFFF);
  dravo::DirectDrawBlit(nullptr);
  EXPECT_EQ(headless::frames_presented(), before + 1);
  dravo::CloseDirectDraw();
  dravo::CloseDirectDraw();
  dravo::DirectDrawBlit(frame.data());
  EXPECT_EQ(headless::frames_presented(), before + 1) << "nothing after closing";
  EXPECT_FALSE(headless::presenter_open());
}

// The GDI presenter's copy of the large frame: after each frame it equals the frame, and every
// pixel that differed lies in a part it returns (else the window keeps a stale pixel).
TEST(Presenter, LargeFrameCopyReturnsEveryChangedPixel) {
  constexpr int w = 37, h = 21;
  std::vector<std::uint16_t> kept, frame(w * h, 7);
  auto covered = [&](const std::vector<platform::windows::frame_part>& parts, int x, int y) {
    for (const auto& p : parts)
      if (x >= p.left && x < p.right && y >= p.top && y < p.bottom) return true;
    return false;
  };
  auto parts = platform::windows::take_large_frame(kept, frame.data(), w, h, nullptr, 0, false);
  ASSERT_EQ(parts.size(), 1u) << "a first frame is whole";
  EXPECT_EQ(kept, frame);
  std::srand(5);
  for (int round = 0; round < 50; ++round) {
    const std::vector<std::uint16_t> before = frame;
    for (int n = std::rand() % 6; n > 0; --n)
      frame[static_cast<std::size_t>(std::rand() % (w * h))] =
          static_cast<std::uint16_t>(std::rand());
    parts = platform::windows::take_large_frame(kept, frame.data(), w, h, nullptr, 0, false);
    EXPECT_EQ(kept, frame);
    for (int i = 0; i < w * h; ++i) {
      if (frame[i] != before[i]) {
        EXPECT_TRUE(covered(parts, i % w, i / w)) << round << ": " << i;
      }
    }
  }
  // inside the rectangles told (clamped to the frame), only the box of what differs is taken
  const win32::RECT told[] = {{-5, 18, 3, 40}, {10, 10, 10, 12}, {20, 2, 30, 6}};
  frame[20 * w + 1] = 1;
  frame[0] = 2;  // outside what is told: not taken
  parts = platform::windows::take_large_frame(kept, frame.data(), w, h, told, 3, false);
  ASSERT_EQ(parts.size(), 1u) << "the third rectangle holds no change";
  EXPECT_EQ(parts[0].left, 1);
  EXPECT_EQ(parts[0].top, 20);
  EXPECT_EQ(parts[0].right, 2);
  EXPECT_EQ(parts[0].bottom, 21);
  EXPECT_EQ(kept[20 * w + 1], 1);
  EXPECT_EQ(kept[0], 7);
}

#ifndef _WIN32
// the desktop's dialog programs are the X11 fallback: Windows shows its own boxes
namespace {

// A folder that stands in for PATH, with stand-in dialog programs that log their arguments (one
// a line) and end with the code given; PATH and DISPLAY are restored afterwards.
class DesktopDialog : public testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("orla_dialogs_" + std::to_string(getpid()) + "_" +
              testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    for (const char* name : {"PATH", "DISPLAY", "WAYLAND_DISPLAY"})
      if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
    setenv("PATH", folder.c_str(), 1);
    setenv("DISPLAY", ":99", 1);
    unsetenv("WAYLAND_DISPLAY");
  }
  void TearDown() override {
    for (const char* name : {"PATH", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
    for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
    std::filesystem::remove_all(folder);
  }
  void stand_in(const std::string& name, int code) {
    const auto path = folder / name;
    std::ofstream(path) << "#!/bin/sh\necho '" << name << "' >> '" << log().string()
                        << "'\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" << log().string()
                        << "'; done\nexit " << code << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }
  std::filesystem::path log() const { return folder / "log"; }
  std::string logged() const {
    std::ifstream in(log());
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
  std::filesystem::path folder;
  std::vector<std::pair<std::string, std::string>> saved;
};

const std::string tricky = "\"menu.vex\" already exists ! $(touch x) `id` ; Overwrite ?";

}  // namespace

TEST_F(DesktopDialog, ZenityFirstWithTheTextAsOneArgument) {
  stand_in("zenity", 0);
  stand_in("kdialog", 0);
  stand_in("xmessage", 100);
  EXPECT_EQ(platform::detail::desktop_dialog("MESSAGE", tricky, MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(logged(), "zenity\n--question\n--no-markup\n--title=MESSAGE\n--text=" + tricky + "\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "x")) << "no shell saw the text";
}

TEST_F(DesktopDialog, TheNextProgramWhenOneIsMissingOrFails) {
  // zenity missing: kdialog answers No
  stand_in("kdialog", 1);
  stand_in("xmessage", 100);
  EXPECT_EQ(platform::detail::desktop_dialog("MESSAGE", "Overwrite ?", MB_YESNO), IDNO);
  EXPECT_EQ(logged(), "kdialog\n--title\nMESSAGE\n--yesno\nOverwrite ?\n");
  // zenity and kdialog cannot show it (no display for them): xmessage's Yes button
  std::filesystem::remove(log());
  stand_in("zenity", 255);
  stand_in("kdialog", 254);
  EXPECT_EQ(platform::detail::desktop_dialog("MESSAGE", "Overwrite ?", MB_YESNO), IDYES);
  EXPECT_EQ(logged().substr(0, 7), "zenity\n");
  EXPECT_NE(logged().find("\nkdialog\n"), std::string::npos);
  EXPECT_NE(logged().find("\nxmessage\n-title\nMESSAGE\n-buttons\nYes:100,No:101\n"),
            std::string::npos);
  // an error box through xmessage: its OK button
  std::filesystem::remove(folder / "zenity");
  std::filesystem::remove(folder / "kdialog");
  EXPECT_EQ(platform::detail::desktop_dialog("I/O ERROR", "Cannot read", MB_ICONHAND), IDOK);
  // xmessage failing (code 1: no display) is not an answer
  stand_in("xmessage", 1);
  EXPECT_EQ(platform::detail::desktop_dialog("MESSAGE", "Overwrite ?", MB_YESNO), std::nullopt);
}

TEST_F(DesktopDialog, NobodyToAskWithoutProgramsOrDisplay) {
  EXPECT_EQ(platform::detail::desktop_dialog("MESSAGE", "Overwrite ?", MB_YESNO), std::nullopt);
  stand_in("zenity", 0);
  unsetenv("DISPLAY");
  EXPECT_EQ(platform::detail::desktop_dialog("MESSAGE", "Overwrite ?", MB_YESNO), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(log())) << "no dialog program without a display";
}

#endif
namespace {

// A pacer on a clock of its own: sleeping moves the clock to the time slept for.
struct paced {
  using clock = platform::detail::frame_pacer::clock;
  clock::time_point now{std::chrono::seconds(100)};
  std::vector<clock::duration> sleeps;
  platform::detail::frame_pacer pacer{[this] { return now; },
                                      [this](clock::time_point until) {
                                        sleeps.push_back(until - now);
                                        now = until;
                                      }};
  // One frame that takes `work` to compose and `present` to hand over.
  void frame(clock::duration work, clock::duration present = {}) {
    now += work;
    pacer.wait();
    now += present;
    pacer.presented();
  }
};

}  // namespace

TEST(FramePacer, SleepsToTheRefreshRateAndStartsAfreshAfterAStall) {
  using std::chrono::milliseconds;
  paced p;
  p.pacer.start(0, false);  // rate unknown: 60 Hz
  const auto start = p.now;
  for (int i = 0; i < 61; ++i) p.frame(milliseconds(2));
  EXPECT_NEAR(std::chrono::duration<double>(p.now - start).count(), 1.0, 0.01)
      << "60 frames a second";
  EXPECT_EQ(p.sleeps.size(), 60u) << "the first frame is not held back";
  // a stall of a second: the next frames follow at the rate, not in a burst
  p.now += std::chrono::seconds(1);
  p.sleeps.clear();
  p.frame({});
  p.frame({});
  ASSERT_EQ(p.sleeps.size(), 1u);
  EXPECT_EQ(p.sleeps[0], p.pacer.period());
}

TEST(FramePacer, TrustsADisplayThatHoldsFramesBackAndOnlyThat) {
  using std::chrono::milliseconds;
  paced p;
  p.pacer.start(100, true);  // vsync asked for, and presenting waits 10 ms for the display
  for (int i = 0; i < 40; ++i) p.frame(milliseconds(1), milliseconds(9));
  EXPECT_FALSE(p.pacer.sleeping());
  EXPECT_TRUE(p.sleeps.empty());
  // vsync given up by the driver: presenting no longer waits, so the pacer sleeps
  for (int i = 0; i < 20; ++i) p.frame(milliseconds(1));
  EXPECT_TRUE(p.pacer.sleeping());
  // vsync asked for but not given: found out within the first frames
  p.pacer.start(100, true);
  for (int i = 0; i < 25; ++i) p.frame(milliseconds(1));
  EXPECT_TRUE(p.pacer.sleeping());
}
