// Tests of the window and input layer on the headless backend.
#include "orla_win32.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "headless.hpp"
#include "orla.hpp"

using namespace orla_win32;
using namespace win32;

namespace {

int paint_hook_calls = 0;
void counting_paint_hook() {
  ++paint_hook_calls;
}

// A death-test pattern matching the box as the headless backend prints it.
std::string box_pattern(const std::string& caption, const std::string& text) {
  std::string pattern;
  for (char c : caption + "\r" + text) {
    if (c == '\r') c = '\n';
    if (std::string_view(".^$|()[]{}*+?\\").find(c) != std::string_view::npos) pattern += '\\';
    pattern += c;
  }
  return pattern;
}

std::string api_failure(const std::string& first_line, const std::string& api) {
  return first_line + "\rAn unknown error occured when calling API-Function \"" + api + "\" !";
}

void reset_unit_state() {
  orla::APPLICATIONRUNNING = false;
  orla::MAXIMIERT = true;
  orla::WINDOW_MAIN_HANDLE = 0;
  M_X = M_Y = 0;
  M_MOVED = false;
  M_MOVED_DIFF = 0;
  FALSEKEYS();
  FALSEMOUSE();
  PROCESSSYSCOMMANDS = false;
  WASINTERRUPTED = false;
  USESELFDEFINEDGDIRENDER = false;
  USESELFDEFINEDICON = false;
  WM_PAINT_RENDER = LEER;
  WINDOW_MAIN_DEVICEHANDLE = 0;
  paint_hook_calls = 0;
}

class WindowLayer : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    headless::reset_window_system();
    headless::clear_message_boxes();
    // a clock that runs 10 ms per reading keeps the waits of the window start short
    headless::set_clock([this] { return now_ += 10; });
    reset_unit_state();
  }
  void TearDown() override {
    headless::set_clock(nullptr);
    headless::reset_window_system();
    reset_unit_state();
  }
  HWND open_window(BYTE mode = 1) {
    WINDOW_REGISTERCLASS(mode);
    orla::WINDOW_MAIN_HANDLE = WINDOW_CREATECLASS("VEXEL egyenes", mode);
    CHECKWMCREATE();
    return orla::WINDOW_MAIN_HANDLE;
  }
  DWORD now_ = 0;
};

using WindowLayerDeathTest = WindowLayer;

}  // namespace

// ---- start-up and creation
// ------------------------------------------------------------------------

TEST(WindowLayerStartUp, BoxesPumpMessagesThroughTheWindowLayer) {
  EXPECT_EQ(orla::AFTERPOSTPROC, &GETALLMESSAGES);
}

TEST_F(WindowLayer, PopupModesRegisterAndCreateAsTheTableSays) {
  for (BYTE mode : {BYTE{0}, BYTE{1}, BYTE{2}}) {
    SCOPED_TRACE(mode);
    headless::reset_window_system();
    reset_unit_state();
    const DWORD before = now_;
    const HWND h = open_window(mode);
    ASSERT_NE(h, 0u);
    EXPECT_GE(now_ - before, 500u) << "CHECKWMCREATE waits half a second";
    EXPECT_TRUE(orla::APPLICATIONRUNNING);
    EXPECT_EQ(WINDOW_CLASS_MAIN.style, 0x2000u);
    EXPECT_EQ(WINDOW_CLASS_MAIN.lpfnWndProc, &WINDOW_EVENTHANDLE);
    EXPECT_EQ(WINDOW_CLASS_MAIN.hbrBackground, GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(WINDOW_CLASS_MAIN.hCursor, LoadCursor(0, IDC_ARROW));
    EXPECT_EQ(WINDOW_CLASS_MAIN.hIcon, LoadIcon(0, IDI_APPLICATION));
    EXPECT_STREQ(WINDOW_CLASS_MAIN.lpszClassName, "ORLA window");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLong(h, GWL_STYLE)), 0x90080000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLong(h, GWL_EXSTYLE)), mode == 2 ? 8u : 0u);
    RECT r;
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_EQ(r.left, 0);
    // the presenter, not the window's size, makes the picture fill the screen
    EXPECT_EQ(r.right, 0) << "a pop-up's default size: none, as Windows gives it";
    EXPECT_NE(WINDOW_MAIN_DEVICEHANDLE, 0u);
    EXPECT_STREQ(APPLICATIONNAME, "VEXEL egyenes");
    EXPECT_EQ(headless::window_title(h), "VEXEL egyenes");
    EXPECT_TRUE(headless::window_visible(h));
  }
  EXPECT_TRUE(headless::message_boxes().empty());
}

TEST_F(WindowLayer, PreviewModeIsAChildFillingItsParent) {
  headless::add_foreign_window(1234, {100, 50, 740, 530});
  headless::set_program_arguments({"/p", "1234"});
  GETSAVERSETTINGS();
  const HWND h = open_window(SAVER_MODE);
  EXPECT_EQ(WINDOW_CLASS_MAIN.style, 0x80u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLong(h, GWL_STYLE)), 0x50080000u);
  EXPECT_EQ(GetWindowLong(h, GWL_HWNDPARENT), 1234);
  RECT r;
  ASSERT_TRUE(GetWindowRect(h, &r));
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right, 740);
  EXPECT_EQ(r.bottom, 530);
}

TEST_F(WindowLayer, OwnIconAndAFailingIconLoad) {
  USESELFDEFINEDICON = true;
  WINDOW_REGISTERCLASS(1);
  EXPECT_NE(WINDOW_CLASS_MAIN.hIcon, 0u);
  EXPECT_NE(WINDOW_CLASS_MAIN.hIcon, LoadIcon(0, IDI_APPLICATION));
  EXPECT_TRUE(headless::message_boxes().empty());

  headless::reset_window_system();
  headless::fail_next_call("LoadIcon");
  WINDOW_REGISTERCLASS(1);
  ASSERT_EQ(headless::message_boxes().size(), 1u);
  EXPECT_EQ(headless::message_boxes()[0].caption, "INTERNAL ERROR");
  EXPECT_EQ(headless::message_boxes()[0].text,
            "Loading application icon failed !\r\rNOTE : Nevertheless you can continue with this "
            "application");
  orla::WINDOW_MAIN_HANDLE = WINDOW_CREATECLASS("x", 1);  // registration went on
  EXPECT_TRUE(orla::APPLICATIONRUNNING);
}

TEST_F(WindowLayer, CheckWmCreateAcceptsTheMessageInTheLastPass) {
  open_window();
  orla::APPLICATIONRUNNING = false;
  int idle = 0;
  headless::set_idle_hook([&idle] {
    if (++idle == 255) headless::post_message(WM_CREATE);
  });
  CHECKWMCREATE();
  EXPECT_TRUE(orla::APPLICATIONRUNNING);
  EXPECT_TRUE(headless::message_boxes().empty());
}

// ---- fatal cases
// ----------------------------------------------------------------------------------

TEST_F(WindowLayerDeathTest, RegisterClassFailures) {
  const auto expected =
      box_pattern("WINDOWS ERROR", api_failure("Register window class failed !", "RegisterClass"));
  EXPECT_EXIT(WINDOW_REGISTERCLASS(4), testing::ExitedWithCode(1), expected);
  EXPECT_EXIT(
      {
        WINDOW_REGISTERCLASS(1);
        WINDOW_REGISTERCLASS(1);
      },
      testing::ExitedWithCode(1), expected);
}

TEST_F(WindowLayerDeathTest, WindowCreationFailures) {
  EXPECT_EXIT(
      WINDOW_CREATECLASS("no class registered", 1), testing::ExitedWithCode(1),
      box_pattern("WINDOWS ERROR", api_failure("Creating new window failed !", "CreateWindowEx")));
  EXPECT_EXIT(
      {
        WINDOW_REGISTERCLASS(1);
        headless::fail_next_call("UpdateWindow");
        WINDOW_CREATECLASS("x", 1);
      },
      testing::ExitedWithCode(1),
      box_pattern("WINDOWS ERROR", api_failure("Updating window failed !", "UpdateWindow")));
  EXPECT_EXIT(
      {
        WINDOW_REGISTERCLASS(1);
        headless::fail_next_call("GetDC");
        WINDOW_CREATECLASS("x", 1);
      },
      testing::ExitedWithCode(1),
      box_pattern("WINDOWS ERROR",
                  api_failure("Retrieve display device context failed !", "GetDC")));
  EXPECT_EXIT(
      {
        open_window();
        headless::fail_next_call("ReleaseDC");
        TERMINATE();
      },
      testing::ExitedWithCode(1),
      box_pattern("WINDOWS ERROR", api_failure("Releasing device context failed !", "ReleaseDC")));
}

TEST_F(WindowLayerDeathTest, NoWmCreateWithin255Passes) {
  EXPECT_EXIT(
      {
        open_window();
        orla::APPLICATIONRUNNING = false;
        CHECKWMCREATE();
      },
      testing::ExitedWithCode(1),
      box_pattern("WINDOWS ERROR",
                  "Creating new window failed !\rThe \"WM_Create\" message was not received "
                  "after creating a new window !"));
}

TEST_F(WindowLayerDeathTest, SaverParentThatIsNoWindow) {
  const auto expected = box_pattern(
      "WINDOWS ERROR", "An unknown error occured when calling API-Function \"GetClientRect\" !");
  EXPECT_EXIT(
      {
        headless::set_program_arguments({"/p", "999"});
        GETSAVERSETTINGS();
      },
      testing::ExitedWithCode(1), expected);
  EXPECT_EXIT(
      {
        headless::add_foreign_window(12, {0, 0, 10, 10});
        headless::set_program_arguments({"/p", "12ab"});  // not a number: handle 0
        GETSAVERSETTINGS();
      },
      testing::ExitedWithCode(1), expected);
}

TEST_F(WindowLayerDeathTest, AnErrorWhileAnErrorIsReportedGoesToStandardError) {
  // the pump before the box closes the window, and WM_DESTROY fails to release the device
  // context: that error goes to standard error, and no box shows
  EXPECT_EXIT(
      {
        open_window();
        orla::ORLAGRAPHLOADED = true;  // so that the box minimises the window and pumps
        headless::close();
        headless::fail_next_call("ReleaseDC");
        std::atexit(
            [] { std::fprintf(stderr, "boxes shown: %zu\n", headless::message_boxes().size()); });
        orla::ERRORM("FILE ERROR", "Cannot open\rmenu.vex");
      },
      testing::ExitedWithCode(1),
      box_pattern("WINDOWS ERROR", api_failure("Releasing device context failed !", "ReleaseDC")) +
          "\nboxes shown: 0\n");
}

// ---- the message table --------------------------------------------------------------------------

TEST_F(WindowLayer, MouseMovesSetAButtonOnlyWhenItIsTheOnlyOneHeld) {
  const HWND h = open_window();
  WINDOW_EVENTHANDLE(h, WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(10, 20));
  EXPECT_EQ(M_X, 10);
  EXPECT_EQ(M_Y, 20);
  EXPECT_EQ(M_MOVED_DIFF, 30);
  EXPECT_FALSE(M_L);
  EXPECT_FALSE(M_R);
  WINDOW_EVENTHANDLE(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(4, 25));
  EXPECT_EQ(M_MOVED_DIFF, 11);
  EXPECT_TRUE(M_L);
  EXPECT_FALSE(M_R);
  WINDOW_EVENTHANDLE(h, WM_MOUSEMOVE, 0, MAKELPARAM(4, 25));
  EXPECT_TRUE(M_L) << "a move never releases a button";
  EXPECT_EQ(M_MOVED_DIFF, 0);
  WINDOW_EVENTHANDLE(h, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(799, 599));
  EXPECT_TRUE(M_R);
  WINDOW_EVENTHANDLE(h, WM_LBUTTONUP, 0, 0);
  WINDOW_EVENTHANDLE(h, WM_RBUTTONUP, 0, 0);
  EXPECT_FALSE(M_L);
  EXPECT_FALSE(M_R);
  WINDOW_EVENTHANDLE(h, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  WINDOW_EVENTHANDLE(h, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 0);
  EXPECT_TRUE(M_L);
  EXPECT_TRUE(M_R);

  // M_MOVED tells whether the last pump saw a move
  headless::mouse_move(5, 6);
  GETALLMESSAGES();
  EXPECT_TRUE(M_MOVED);
  GETALLMESSAGES();
  EXPECT_FALSE(M_MOVED);
}

TEST_F(WindowLayer, KeyTableAndKeyPressed) {
  const HWND h = open_window();
  EXPECT_FALSE(KEYPRESSED());
  WINDOW_EVENTHANDLE(h, WM_KEYDOWN, 65, 1);
  EXPECT_TRUE(KTASTE[65]);
  EXPECT_TRUE(KTASTE[256]);
  WINDOW_EVENTHANDLE(h, WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(KTASTE[256]) << "cleared by every message";
  EXPECT_TRUE(KEYPRESSED());
  WINDOW_EVENTHANDLE(h, WM_KEYUP, 65, 0);
  EXPECT_FALSE(KEYPRESSED());

  // a press while Alt is held only marks "a key was pressed"
  WINDOW_EVENTHANDLE(h, WM_SYSKEYDOWN, 'X', KF_ALTDOWN_BIT);
  EXPECT_TRUE(KTASTE[256]);
  EXPECT_FALSE(KTASTE['X']);
  EXPECT_TRUE(KEYPRESSED());
  FALSEKEYS();
  EXPECT_FALSE(KEYPRESSED());

  // kept: a release while Alt is held does not release the key
  WINDOW_EVENTHANDLE(h, WM_KEYDOWN, 'B', 1);
  WINDOW_EVENTHANDLE(h, WM_SYSKEYUP, 'B', KF_ALTDOWN_BIT);
  EXPECT_TRUE(KTASTE['B']);
  FALSEKEYS();

  // a code beyond the table writes no entry there, and is still a key press
  orla_win32::detail::clear_key_presses();
  WINDOW_EVENTHANDLE(h, WM_KEYDOWN, 70000, 1);
  EXPECT_TRUE(KTASTE[256]);
  EXPECT_TRUE(KEYPRESSED());
  orla_win32::detail::key_press beyond;
  EXPECT_TRUE(orla_win32::detail::take_key_press(beyond));
  WINDOW_EVENTHANDLE(h, WM_KEYUP, 70000, 0);
  EXPECT_FALSE(KEYPRESSED());
  WINDOW_EVENTHANDLE(h, WM_KEYDOWN, 256, 1);  // entry 256 is inside the table
  WINDOW_EVENTHANDLE(h, WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(KEYPRESSED());

  // through the queue
  headless::key(VK_ESCAPE, true);
  GETALLMESSAGES();
  EXPECT_TRUE(KTASTE[VK_ESCAPE]);
  headless::key(VK_ESCAPE, false);
  GETALLMESSAGES();
  EXPECT_FALSE(KEYPRESSED());

  // every press is kept in order for the program, with its repeat flag and the modifiers held,
  // even when its release came before the program looked; a full queue drops the newest
  orla_win32::detail::clear_key_presses();
  WINDOW_EVENTHANDLE(h, WM_KEYDOWN, VK_SHIFT, 1);
  WINDOW_EVENTHANDLE(h, WM_KEYDOWN, VK_TAB, 1);
  WINDOW_EVENTHANDLE(h, WM_KEYDOWN, VK_TAB, 1 | KF_REPEAT_BIT);
  WINDOW_EVENTHANDLE(h, WM_KEYUP, VK_TAB, 0);
  WINDOW_EVENTHANDLE(h, WM_KEYUP, VK_SHIFT, 0);
  WINDOW_EVENTHANDLE(h, WM_SYSKEYDOWN, 'X', KF_ALTDOWN_BIT);
  orla_win32::detail::key_press p;
  ASSERT_TRUE(orla_win32::detail::take_key_press(p));
  EXPECT_EQ(p.code, VK_SHIFT);
  ASSERT_TRUE(orla_win32::detail::take_key_press(p));
  EXPECT_EQ(p.code, VK_TAB);
  EXPECT_TRUE(p.shift && !p.control && !p.repeat);
  ASSERT_TRUE(orla_win32::detail::take_key_press(p));
  EXPECT_TRUE(p.repeat);
  EXPECT_FALSE(orla_win32::detail::take_key_press(p)) << "a key with Alt is the system's";
  for (WORD k = 0; k < 100; ++k) WINDOW_EVENTHANDLE(h, WM_KEYDOWN, 'A' + k % 26, 1);
  int taken = 0;
  while (orla_win32::detail::take_key_press(p)) EXPECT_EQ(p.code, 'A' + taken++ % 26);
  EXPECT_EQ(taken, 64);
  FALSEKEYS();
}

TEST_F(WindowLayer, ScreenSaverCommandsAreSwallowedOnlyWhenAsked) {
  const HWND h = open_window();
  WINDOW_EVENTHANDLE(h, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  ASSERT_EQ(headless::system_commands().size(), 1u);
  EXPECT_EQ(headless::system_commands()[0], SC_SCREENSAVE);

  PROCESSSYSCOMMANDS = true;
  WINDOW_EVENTHANDLE(h, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  WINDOW_EVENTHANDLE(h, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  EXPECT_EQ(headless::system_commands().size(), 1u);
  WINDOW_EVENTHANDLE(h, WM_SYSCOMMAND, SC_SCREENSAVE + 1, 0);  // only the exact value
  EXPECT_EQ(headless::system_commands().size(), 2u);
  WINDOW_EVENTHANDLE(h, WM_SYSCOMMAND, SC_CLOSE, 0);  // others keep their default handling
  EXPECT_FALSE(orla::APPLICATIONRUNNING);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowLayer, PaintHookRunsOnlyWithoutGraphicsMode) {
  USESELFDEFINEDGDIRENDER = true;
  WM_PAINT_RENDER = counting_paint_hook;
  const HWND h = open_window();
  EXPECT_EQ(paint_hook_calls, 1) << "the first paint at creation";
  orla::ORLAGRAPHLOADED = true;
  WINDOW_EVENTHANDLE(h, WM_PAINT, 0, 0);
  orla::ORLAGRAPHLOADED = false;
  EXPECT_EQ(paint_hook_calls, 1);
  USESELFDEFINEDGDIRENDER = false;
  WINDOW_EVENTHANDLE(h, WM_PAINT, 0, 0);
  EXPECT_EQ(paint_hook_calls, 1);
  USESELFDEFINEDGDIRENDER = true;
  WM_PAINT_RENDER = nullptr;
  EXPECT_EQ(WINDOW_EVENTHANDLE(h, WM_PAINT, 0, 0), 0);
}

TEST_F(WindowLayer, CloseRequestDestroysTheWindowAndStopsThePump) {
  const HWND h = open_window();
  headless::mouse_move(1, 2);
  headless::close();
  headless::mouse_move(3, 4);  // for a window that is gone by then
  GETALLMESSAGES();
  EXPECT_FALSE(orla::APPLICATIONRUNNING);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(WINDOW_MAIN_DEVICEHANDLE, 0u);
  EXPECT_EQ(M_X, 1);
  EXPECT_EQ(WINDOW_EVENTMESSAGE.message, WM_QUIT);
  MSG m;
  EXPECT_FALSE(PeekMessage(&m, 0, 0, 0, PM_REMOVE)) << "the quit message was taken";
}

TEST_F(WindowLayer, TerminateTwiceDestroysOnce) {
  const HWND h = open_window();
  TERMINATE();
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(orla::APPLICATIONRUNNING);
  M_MOVED = true;
  TERMINATE();  // nothing left to do: not even a pump
  EXPECT_TRUE(M_MOVED);
  EXPECT_TRUE(headless::message_boxes().empty());
}

// ---- minimised window
// -----------------------------------------------------------------------------

TEST_F(WindowLayer, MinimisedWindowWaitsForRestoreThenReleasesInput) {
  open_window();
  headless::key('A', true);
  headless::post_message(WM_LBUTTONDOWN, MK_LBUTTON);
  headless::post_message(WM_RBUTTONDOWN, MK_RBUTTON);
  headless::post_message(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1));
  // a button press ends a pass: what comes after it waits for the next
  GETALLMESSAGES();
  EXPECT_TRUE(KTASTE['A']);
  EXPECT_TRUE(M_L);
  EXPECT_FALSE(M_R);
  GETALLMESSAGES();
  EXPECT_TRUE(M_R);
  EXPECT_TRUE(orla::MAXIMIERT);
  GETALLMESSAGES();
  EXPECT_FALSE(orla::MAXIMIERT);
  EXPECT_TRUE(KEYPRESSED());

  int idle = 0;
  headless::set_idle_hook([&idle] {
    if (++idle == 50) headless::post_message(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0));
  });
  HANDLEMINIMIZED();
  EXPECT_GE(idle, 50);
  EXPECT_TRUE(orla::MAXIMIERT);
  EXPECT_TRUE(WASINTERRUPTED);
  EXPECT_FALSE(KEYPRESSED());
  EXPECT_FALSE(M_L);
  EXPECT_FALSE(M_R);

  headless::set_idle_hook(nullptr);
  headless::key('A', true);
  GETALLMESSAGES();
  HANDLEMINIMIZED();  // not minimised: input stays as it is
  EXPECT_FALSE(WASINTERRUPTED);
  EXPECT_TRUE(KTASTE['A']);
}

TEST_F(WindowLayer, MinimisedWindowThatIsClosedEndsTheWait) {
  open_window();
  headless::activate(true);
  GETALLMESSAGES();
  ASSERT_FALSE(orla::MAXIMIERT);
  int idle = 0;
  headless::set_idle_hook([&idle] {
    if (++idle == 10) headless::close();
  });
  HANDLEMINIMIZED();
  EXPECT_FALSE(orla::APPLICATIONRUNNING);
  EXPECT_TRUE(WASINTERRUPTED);
}

TEST_F(WindowLayer, MaximizeMinimisesAndRestoresAroundABox) {
  open_window();
  orla::INIT_GRAPH(800, 600);
  orla::MAXIMIZE(false);
  EXPECT_FALSE(orla::MAXIMIERT);
  EXPECT_FALSE(headless::window_restored());
  EXPECT_EQ(orla::PLACEMENT.length, 44u);
  EXPECT_EQ(orla::PLACEMENT.showCmd, 6u);
  EXPECT_EQ(orla::PLACEMENT.rcNormalPosition.right, 799);
  EXPECT_EQ(orla::PLACEMENT.rcNormalPosition.bottom, 599);
  orla::MAXIMIZE(true);
  EXPECT_TRUE(orla::MAXIMIERT);
  EXPECT_TRUE(headless::window_restored());
  EXPECT_EQ(orla::PLACEMENT.showCmd, 9u);

  // a box minimises the window, pumps, shows, restores and pumps again
  headless::mouse_move(321, 123);
  orla::POST("MESSAGE", "note");
  EXPECT_EQ(M_X, 321) << "the pump ran around the box";
  EXPECT_TRUE(orla::MAXIMIERT);
  EXPECT_TRUE(headless::window_restored());
  orla::KILL_GRAPH();
}

// ---- command line and placement
// ---------------------------------------------------------------------

TEST_F(WindowLayer, SaverSettingsForEverySwitch) {
  headless::add_foreign_window(1234, {0, 0, 152, 112});
  struct saver_case {
    std::vector<std::string> arguments;
    BYTE mode;
    HWND parent;
  };
  const std::vector<saver_case> cases = {
      {{}, 1, 0},
      {{"-c"}, 1, 0},
      {{"/c:4711"}, 1, 0},
      {{"C"}, 1, 0},
      {{"s"}, 2, 0},
      {{"/S"}, 2, 0},
      {{"-w"}, 2, 0},
      {{"W"}, 2, 0},
      {{"/p", "1234"}, 3, 1234},
      {{"-L", "1234"}, 3, 1234},
      {{"l", "1234"}, 3, 1234},
      {{"/x"}, 0, 0},
      {{"x"}, 0, 0},
      {{""}, 0, 0},
      {{"/s", "1234"}, 2, 1234},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    PROCESSSYSCOMMANDS = false;
    headless::set_program_arguments(c.arguments);
    GETSAVERSETTINGS();
    EXPECT_EQ(SAVER_MODE, c.mode);
    EXPECT_EQ(SAVER_PARENTHANDLE, c.parent);
    EXPECT_EQ(PROCESSSYSCOMMANDS, c.mode == 2);
    if (c.parent) {
      EXPECT_EQ(SAVER_RECT.right, 152);
      EXPECT_EQ(SAVER_RECT.bottom, 112);
    } else {
      EXPECT_EQ(SAVER_RECT.right, CW_USEDEFAULT);
      EXPECT_EQ(SAVER_RECT.bottom, CW_USEDEFAULT);
    }
  }
}

TEST_F(WindowLayer, CenterOverOwnerOrScreen) {
  const HWND owner = open_window();
  MoveWindow(owner, 100, 100, 500, 400, TRUE);
  const HWND box = CreateWindowEx(0, "ORLA window", "box", WS_POPUP, 0, 0, 200, 100, owner, 0,
                                  GetModuleHandle(nullptr), nullptr);
  ASSERT_NE(box, 0u);
  RECT r;
  CENTERHWND(box, 10, 20);
  GetWindowRect(box, &r);
  EXPECT_EQ(r.left, 100 + 150 + 10);
  EXPECT_EQ(r.top, 100 + 150 + 20);
  EXPECT_EQ(r.right - r.left, 200);

  CENTERHWND(box, 2000, 0);  // would leave the screen: the screen's centre, no offsets
  GetWindowRect(box, &r);
  EXPECT_EQ(r.left, (1024 - 200) / 2);
  EXPECT_EQ(r.top, (768 - 100) / 2);

  MoveWindow(box, 0, 0, 600, 100, FALSE);  // wider than its owner
  CENTERHWND(box, 1, 1);
  GetWindowRect(box, &r);
  EXPECT_EQ(r.left, (1024 - 600) / 2);

  MoveWindow(owner, 0, 0, 300, 200, FALSE);  // no owner at all
  CENTERHWND(owner, 5, 5);
  GetWindowRect(owner, &r);
  EXPECT_EQ(r.left, (1024 - 300) / 2);
  EXPECT_EQ(r.top, (768 - 200) / 2);
}
