// Tests of the core unit: virtual windows, memory accounting, message boxes and strings.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "headless.hpp"
#include "orla.hpp"

using namespace orla;

namespace {

std::string last_box_text() {
  const auto& boxes = headless::message_boxes();
  return boxes.empty() ? std::string() : boxes.back().text;
}

}  // namespace

TEST(VirtualWindow, InitClearsAndAccountsTheBuffer) {
  const LONGINT before = TOTALALLOCMEMORY;
  VIRTUALWINDOW vw;
  INIT_VW(vw, 801, 3, true);
  EXPECT_EQ(vw.SIZE, 801 * 3 * 2);
  EXPECT_EQ(vw.BREITEMINUS1, 800);
  EXPECT_EQ(vw.BREITEDIV2, 400);
  EXPECT_EQ(vw.BREITEMOD2, 1);
  EXPECT_EQ(vw.BREITEMAL2, 1602);
  EXPECT_EQ(vw.HOEHEDIV2, 1);
  EXPECT_EQ(vw.HOEHEMINUS1, 2);
  EXPECT_TRUE(vw.LOADED);
  for (int i = 0; i < 801 * 3; ++i) ASSERT_EQ(vw.DATA[i], 0) << i;
  EXPECT_EQ(TOTALALLOCMEMORY - before, vw.SIZE);

  KILL_VW(vw);
  EXPECT_EQ(TOTALALLOCMEMORY, before);
  EXPECT_EQ(vw.DATA, nullptr);
  EXPECT_FALSE(vw.LOADED);
  EXPECT_EQ(vw.BREITE, 801) << "geometry stays after the release";
  KILL_VW(vw);  // a second release changes nothing
  EXPECT_EQ(TOTALALLOCMEMORY, before);
}

TEST(VirtualWindow, ClearReachesEveryPixelIncludingTheTail) {
  VIRTUALWINDOW vw;
  INIT_VW(vw, 3, 3, false);
  CLRSPRITE(vw, 31, 63, 31);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(vw.DATA[i], 65535) << i;
  CLRSPRITE(vw, 1, 0, 0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(vw.DATA[i], 2048) << i;
  CLRPACKEDSPRITE(vw, 0x1234);
  EXPECT_EQ(vw.DATA[8], 0x1234);
  KILL_VW(vw);
}

TEST(VirtualWindow, ScreenSizedRawBufferClearAndCopy) {
  CALCULATE_SCREENSETTINGS(800, 600);
  EXPECT_EQ(DD_BREITEMINUS1, 799);
  EXPECT_EQ(DD_HOEHEMINUS1, 599);
  EXPECT_EQ(DD_BREITEDIV2, 400);
  EXPECT_EQ(DD_HOEHEDIV2, 300);
  EXPECT_EQ(DD_BREITEDIV2M1, 399);
  EXPECT_EQ(DD_HOEHEDIV2M1, 299);
  EXPECT_EQ(DD_BREITEDIV2M1M, -399);
  EXPECT_EQ(DD_HOEHEDIV2M1M, -299);
  EXPECT_EQ(DD_BREITEDIV2MIN, -400);
  EXPECT_EQ(DD_HOEHEDIV2MIN, -300);
  EXPECT_EQ(DD_SIZE, 960000);

  VIRTUALWINDOW a, b;
  INIT_VW(a, 800, 600, true);
  INIT_VW(b, 800, 600, true);
  CLR_VW(a.DATA, 0xBEEF);
  EXPECT_EQ(a.DATA[0], 0xBEEF);
  EXPECT_EQ(a.DATA[800 * 600 - 1], 0xBEEF);
  FLIP_VW(a.DATA, b.DATA);
  EXPECT_EQ(b.DATA[800 * 600 - 1], 0xBEEF);
  KILL_VW(a);
  KILL_VW(b);
}

TEST(MemoryAccounting, ObtainResizeFreeReturnsToZero) {
  const LONGINT before = TOTALALLOCMEMORY;
  WORD* block = nullptr;
  ALLOKSPEICHER(block, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(PTRMEM(block), 100);
  EXPECT_EQ(TOTALALLOCMEMORY - before, 100);
  block[49] = 0xABCD;

  ALLOKSPEICHER(block, 5000);  // resize keeps the content and counts the one block
  EXPECT_EQ(block[49], 0xABCD);
  EXPECT_EQ(TOTALALLOCMEMORY - before, PTRMEM(block));
  EXPECT_EQ(PTRMEM(block), 5000);

  FREESPEICHER(block);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(TOTALALLOCMEMORY, before);
  FREESPEICHER(block);  // nil is ignored
  EXPECT_EQ(TOTALALLOCMEMORY, before);

  void* p = nullptr;
  FREEPTRSPEICHER(p);
  EXPECT_EQ(TOTALALLOCMEMORY, before);
  ALLOKPTRSPEICHER(p, 7);
  EXPECT_EQ(PTRMEM(p), 7);
  EXPECT_EQ(PTRMEM(nullptr), 0);
  FREEPTRSPEICHER(p);
  EXPECT_EQ(TOTALALLOCMEMORY, before);
}

TEST(MemoryAccounting, BlocksAreAlignedForWideStores) {
  void* p = nullptr;
  ALLOKPTRSPEICHER(p, 33);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u);
  FREEPTRSPEICHER(p);
}

TEST(MemoryAccounting, LeakReportTexts) {
  const LONGINT saved = TOTALALLOCMEMORY;
  headless::clear_message_boxes();
  TOTALALLOCMEMORY = 0;
  CHECKMEMORY();
  EXPECT_TRUE(headless::message_boxes().empty());
  TOTALALLOCMEMORY = -5;
  CHECKMEMORY();
  EXPECT_TRUE(headless::message_boxes().empty()) << "a negative total is not reported";

  TOTALALLOCMEMORY = 5000;
  CHECKMEMORY();
  ASSERT_EQ(headless::message_boxes().size(), 1u);
  EXPECT_EQ(headless::message_boxes().back().caption, "MEMORY MANAGEMENT ERROR !");
  EXPECT_EQ(last_box_text(),
            "There is still some allocated memory left !\r\r5000 BYTES   or   5 KB   or   0 MB");
  TOTALALLOCMEMORY = 1536;  // 1.5 KB goes to the even neighbour
  CHECKMEMORY();
  EXPECT_EQ(last_box_text(),
            "There is still some allocated memory left !\r\r1536 BYTES   or   2 KB   or   0 MB");
  TOTALALLOCMEMORY = saved;
}

TEST(MessageBoxes, PostKeepsCursorAndUsesInformationIcon) {
  headless::clear_message_boxes();
  CURSORVISIBLE(false);
  POST("MESSAGE", "hello");
  ASSERT_EQ(headless::message_boxes().size(), 1u);
  EXPECT_EQ(headless::message_boxes()[0].type, 0x50040u);
  EXPECT_FALSE(CURSOR);
  EXPECT_FALSE(headless::cursor_visible());
  CURSORVISIBLE(true);
  EXPECT_TRUE(headless::cursor_visible());
}

TEST(MessageBoxes, FileOverwriteAsksOnlyForExistingFiles) {
  headless::clear_message_boxes();
  const auto path = std::filesystem::temp_directory_path() / "orla_overwrite_probe.vex";
  std::filesystem::remove(path);
  EXPECT_TRUE(FILEOVERWRITE(path.string()));
  EXPECT_TRUE(headless::message_boxes().empty());

  std::ofstream(path) << "x";
  headless::set_yes_no_answer(win32::IDNO);
  EXPECT_FALSE(FILEOVERWRITE(path.string()));
  ASSERT_EQ(headless::message_boxes().size(), 1u);
  EXPECT_EQ(headless::message_boxes()[0].caption, "MESSAGE");
  EXPECT_EQ(headless::message_boxes()[0].text,
            "\"" + path.string() + "\" already exists ! Overwrite ?");
  EXPECT_EQ(headless::message_boxes()[0].type, 0x52024u);
  headless::set_yes_no_answer(win32::IDYES);
  EXPECT_TRUE(FILEOVERWRITE(path.string()));
  headless::set_yes_no_answer(win32::IDNO);
  std::filesystem::remove(path);
}

TEST(MessageBoxesDeathTest, ErrormEndsWithExitCodeOneAndShowsTheText) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ERRORM("FILE ERROR", "Cannot open\rmenu.vex"), testing::ExitedWithCode(1),
              "FILE ERROR\nCannot open\nmenu.vex");
}

TEST(MessageBoxesDeathTest, AllocationFailureIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        WORD* block = nullptr;
        ALLOKSPEICHER(block, -1);
      },
      testing::ExitedWithCode(1), "MEMORY ERROR !\nNot enough memory to run this application !");
}

TEST(Timing, WaitmsWorksAcrossTheCounterWrap) {
  win32::DWORD now = 0xFFFFFFF0u;
  headless::set_clock([&now] { return now++; });
  WAITMS(40);
  EXPECT_GE(static_cast<win32::DWORD>(now - 0xFFFFFFF0u), 40u);
  EXPECT_LT(static_cast<win32::DWORD>(now - 0xFFFFFFF0u), 45u);
  headless::set_clock(nullptr);
}

TEST(Strings, NumberConversions) {
  EXPECT_EQ(DEZTOHEX(4096), "$00001000");
  EXPECT_EQ(DEZTOHEX(255), "$000000FF");
  EXPECT_EQ(DEZTOHEX(-1), "$FFFFFFFF");
  EXPECT_EQ(DEZTOHEX(0), "$00000000");
  EXPECT_EQ(DEZTOBIN(255), "11111111");
  EXPECT_EQ(DEZTOBIN(5), "00000101");
  EXPECT_EQ(DEZTOBIN(0), "00000000");
  EXPECT_EQ(DEZTOBIN(256), "100000000");
  EXPECT_EQ(LONGINTSTR(-42), "-42");
  EXPECT_EQ(LONGINTSTR(0), "0");
  EXPECT_EQ(REALSTR(3.14159f, 6, 2), "  3.14");
  EXPECT_EQ(REALSTR(-2.5f, 0, 0), "-2");  // halves to even, no point without decimals
  EXPECT_EQ(REALSTR(1.0f, 0, 3), "1.000");
}

TEST(Strings, GetStringStopsAtZeroOrAt255) {
  WORD count = 0;
  const char ab[] = {'A', 'B', 0, 'C'};
  EXPECT_EQ(GETSTRING(ab, count), "AB");
  EXPECT_EQ(count, 3);
  std::string long_text(300, 'x');
  EXPECT_EQ(GETSTRING(long_text.c_str(), count), std::string(255, 'x'));
  EXPECT_EQ(count, 255);
  const char empty[] = {0};
  EXPECT_EQ(GETSTRING(empty, count), "");
  EXPECT_EQ(count, 1);
}

TEST(DisplayMode, GraphModeOpensOnceAndRestoresTheDesktop) {
  headless::set_clock(nullptr);
  KILL_GRAPH();  // nothing open: nothing happens
  EXPECT_FALSE(ORLAGRAPHLOADED);
  const LONGINT before = TOTALALLOCMEMORY;
  INIT_GRAPH(800, 600);
  INIT_GRAPH(800, 600);
  EXPECT_TRUE(ORLAGRAPHLOADED);
  EXPECT_TRUE(DEVICEMODEOK);
  EXPECT_TRUE(headless::display_mode_changed());
  EXPECT_EQ(headless::current_display_mode().dmBitsPerPel, 16u);
  EXPECT_EQ(TOTALALLOCMEMORY - before, 960000) << "one black buffer, not two";
  EXPECT_FALSE(headless::cursor_visible());
  CLR_DD(12345);
  EXPECT_EQ(headless::last_frame().size(), 800u * 600u);
  EXPECT_EQ(headless::last_frame()[0], 0);
  KILL_GRAPH();
  EXPECT_FALSE(ORLAGRAPHLOADED);
  EXPECT_FALSE(headless::display_mode_changed());
  EXPECT_EQ(TOTALALLOCMEMORY, before);
  EXPECT_TRUE(headless::cursor_visible());
}

TEST(DisplayMode, NoMatchingModeKeepsTheDesktop) {
  headless::set_display_modes({{32, 1920, 1080, 60}});
  SETRESOLUTION(800, 600, 16);
  EXPECT_FALSE(DEVICEMODEOK);
  EXPECT_FALSE(headless::display_mode_changed());
  RESETRESOLUTION();
  EXPECT_FALSE(headless::display_mode_changed());
  headless::set_display_modes({{32, 1024, 768, 60}, {16, 800, 600, 60}});
}

TEST(DisplayMode, CursorCounterStaysWithinOneStep) {
  CURSORVISIBLE(false);
  CURSORVISIBLE(false);
  EXPECT_FALSE(headless::cursor_visible());
  CURSORVISIBLE(true);
  EXPECT_TRUE(headless::cursor_visible());
  CURSORVISIBLE(true);
  EXPECT_TRUE(headless::cursor_visible());
}

TEST(DisplayMode, TablesOfWholeDegrees) {
  EXPECT_FLOAT_EQ(SINUS[90], 1.0f);
  EXPECT_FLOAT_EQ(COSIN[0], 1.0f);
  EXPECT_FLOAT_EQ(SINUS[0], 0.0f);
  EXPECT_FLOAT_EQ(COSIN[180], -1.0f);
  EXPECT_NEAR(SINUS[30], 0.5f, 1e-6);
}
