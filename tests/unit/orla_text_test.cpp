// Tests of the bitmap font text of orla_text: cursors, scaling, bit order, clipping, outlines,
// the tall set, font loading and the built font's Hungarian letters.
#include "orla_text.hpp"

#include <gtest/gtest.h>

#include <set>

#include "file_fixtures.hpp"

using namespace orla_text;
using fixtures::bytes;

namespace {

// 'A', 'B', 'C' and set 2's 'A' are distinct patterns, '#' is a full block in both sets,
// code 1 a single dot at column 0, code 2 a single dot at column 7.
bytes test_font() {
  bytes font(detail::font_bytes, 0);
  for (int r = 0; r < 8; ++r) {
    font[8 * 'A' + r] = static_cast<std::uint8_t>(0x81 + r);
    font[8 * 'B' + r] = static_cast<std::uint8_t>(0x3C ^ r);
    font[8 * 'C' + r] = static_cast<std::uint8_t>(0x18 << (r % 3));
    font[8 * '#' + r] = 0xFF;
  }
  font[8 * 1] = 0x80;
  font[8 * 2] = 0x01;
  font[8 * 255 + 7] = 0x01;  // row 15 of the tall set's code 31, 2048 + 16 * (31 - 32) + 15
  for (int r = 0; r < 16; ++r) {
    font[2048 + 16 * ('#' - 32) + r] = 0xFF;
    font[2048 + 16 * ('A' - 32) + r] = static_cast<std::uint8_t>(r * 17);
  }
  return font;
}

class Text : public testing::Test {
 protected:
  void SetUp() override {
    fixtures::write_file(dir / "Fonts.fnt", test_font());
    LOAD_FONTS(dir / "Fonts.fnt");
    SETTEXTSIZE(1);
    MOVETO1(0, 0);
    MOVETO2(0, 0);
    orla::INIT_VW(vw, 80, 50, true);
  }
  void TearDown() override { orla::KILL_VW(vw); }
  WORD at(int x, int y) const { return vw.DATA[y * vw.BREITE + x]; }
  // The pixels of colour c, as (x, y) pairs.
  std::set<std::pair<int, int>> drawn(WORD c) const {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < vw.HOEHE; ++y)
      for (int x = 0; x < vw.BREITE; ++x)
        if (at(x, y) == c) out.insert({x, y});
    return out;
  }
  std::set<std::pair<int, int>> rect(int x0, int y0, int x1, int y1) const {
    std::set<std::pair<int, int>> out;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) out.insert({x, y});
    return out;
  }
  fixtures::scratch_dir dir;
  VIRTUALWINDOW vw;
  const WORD ink = orla::PACK(31, 0, 7);
};

}  // namespace

TEST_F(Text, CursorMovesPastTheScaledText) {
  SETTEXTSIZE(2);
  EXPECT_EQ(GETTEXTSIZE(), 2);
  OUTTEXTXY(vw, 10, 20, 31, 0, 7, "###");
  EXPECT_EQ(GETX1(), 58);
  EXPECT_EQ(GETY1(), 20);
  EXPECT_EQ(drawn(ink), rect(10, 20, 58, 36));
  OUTTEXTXY(vw, 3, 4, 0, 63, 0, "");
  EXPECT_EQ(GETX1(), 3);
  EXPECT_EQ(GETY1(), 4);
  EXPECT_EQ(drawn(0).size(), 80u * 50 - 48 * 16) << "an empty text draws nothing";
}

TEST_F(Text, MostSignificantBitIsTheLeftColumn) {
  OUTTEXTXY(vw, 0, 0, 31, 0, 7, "\x01\x02");
  EXPECT_EQ(drawn(ink), (std::set<std::pair<int, int>>{{0, 0}, {15, 0}}));
}

TEST_F(Text, TextIsClippedAtEveryEdge) {
  OUTTEXTXY(vw, -4, -3, 31, 0, 7, "#");
  OUTTEXTXY(vw, 76, 46, 31, 0, 7, "##");
  EXPECT_EQ(drawn(ink).size(), 4u * 5 + 4 * 4);
  EXPECT_EQ(at(0, 0), ink);
  EXPECT_EQ(at(79, 49), ink);
  SETTEXTSIZE(300);
  OUTTEXTXY(vw, -2401, 0, 0, 0, 1, "#");
  EXPECT_EQ(drawn(1).size(), 0u) << "a glyph wholly outside draws nothing";
  OUTTEXTXY(vw, -2320, -2350, 0, 0, 1, "#");
  EXPECT_EQ(drawn(1).size(), 80u * 50) << "the glyph's last dots end at the window's far corner";
}

TEST_F(Text, ContinuedTextMatchesOneCall) {
  VIRTUALWINDOW other;
  orla::INIT_VW(other, 80, 50, true);
  OUTTEXTXY(other, 2, 3, 31, 0, 7, "ABC");
  MOVETO1(2, 3);
  OUTTEXT(vw, 31, 0, 7, "AB");
  OUTTEXT(vw, 31, 0, 7, "C");
  EXPECT_EQ(std::vector<WORD>(vw.DATA, vw.DATA + 4000),
            std::vector<WORD>(other.DATA, other.DATA + 4000));
  EXPECT_EQ(GETX1(), 26);
  orla::KILL_VW(other);
}

TEST_F(Text, OutlineIsDarkerAndDrawnFirst) {
  const WORD outline = orla::PACK(0, 10, 21), main = orla::PACK(5, 30, 31);
  TEXTATXY(vw, 5, 5, 5, 30, 31, "\x01");
  EXPECT_EQ(drawn(outline), (std::set<std::pair<int, int>>{{4, 5}, {5, 4}, {6, 5}, {5, 6}}));
  EXPECT_EQ(drawn(main), (std::set<std::pair<int, int>>{{5, 5}}));
  EXPECT_EQ(GETX1(), 13);

  orla::CLRPACKEDSPRITE(vw, 0);
  MOVETO1(5, 5);
  TEXTAT(vw, 5, 30, 31, "\x01");
  EXPECT_EQ(drawn(outline).size(), 4u);
  EXPECT_EQ(at(5, 5), main);
  EXPECT_EQ(GETX1(), 13);
  EXPECT_EQ(GETY1(), 5);
}

TEST_F(Text, TallSetHasItsOwnCursorAndCodes) {
  MOVETO1(7, 7);
  OUTTEXTXY2(vw, 0, 0, 31, 0, 7, "#");
  EXPECT_EQ(drawn(ink), rect(0, 0, 8, 16));
  MOVETO2(8, 0);
  // codes past 122 have no rows in the font buffer: an empty cell; codes below 32 read theirs
  // before the set's start (code 31's last row is the last row of set 1's code 255)
  OUTTEXT2(vw, 31, 0, 7, "{\x1F\xFF");
  EXPECT_EQ(drawn(ink).size(), 129u);
  EXPECT_EQ(at(23, 15), ink);
  EXPECT_EQ(GETX2(), 32);
  EXPECT_EQ(GETX1(), 7) << "set 1's cursor is not touched";
  TEXTATXY2(vw, 40, 20, 12, 25, 12, "#");
  EXPECT_EQ(drawn(orla::PACK(2, 5, 2)).size(), 16u + 16 + 8 + 8) << "a one-pixel frame";
  MOVETO2(60, 20);
  TEXTAT2(vw, 31, 63, 31, "A");
  EXPECT_EQ(GETX2(), 68);
  EXPECT_EQ(GETY2(), 20);
}

TEST_F(Text, ShorterFontFilesReplaceOnlyTheirStart) {
  fixtures::write_file(dir / "tiny.fnt", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  LOAD_FONTS(dir / "tiny.fnt");
  OUTTEXTXY(vw, 0, 0, 31, 0, 7, std::string(1, '\0') + "#");
  EXPECT_EQ(drawn(ink), rect(0, 0, 16, 8));
}

TEST_F(Text, FontsLoadFromArchives) {
  bytes font(detail::font_bytes, 0);
  font[8 * 'x'] = 0x80;
  fixtures::write_file(dir / "a.big", fixtures::archive({{fixtures::field("FONTS.FNT"), font}}));
  BIGLOAD_FONTS(dir / "a.big");
  OUTTEXTXY(vw, 0, 0, 31, 0, 7, "#x");
  EXPECT_EQ(drawn(ink), (std::set<std::pair<int, int>>{{8, 0}}));
}

TEST(TextDeathTest, TooLongFontFileIsRefused) {
  GTEST_FLAG_SET(death_test_style, "fast");
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "long.fnt", bytes(detail::font_bytes + 1, 0));
  EXPECT_EXIT(LOAD_FONTS(dir / "long.fnt"), testing::ExitedWithCode(1),
              fixtures::box_regex("FILE ERROR", "Following font file is longer than 3504 bytes : " +
                                                    dir / "long.fnt"));
}

// The font the build makes: every Hungarian letter has a glyph of its own in the small set.
TEST(BuiltFont, HasTheHungarianLetters) {
#ifndef ORLA_FONT_FILE
  GTEST_SKIP() << "the assets are not part of this build";
#else
  const std::string path = ORLA_FONT_FILE;
  ASSERT_TRUE(std::filesystem::exists(path)) << "build the target orla_font first";
  ASSERT_EQ(std::filesystem::file_size(path), detail::font_bytes);
  LOAD_FONTS(path);
  SETTEXTSIZE(1);
  VIRTUALWINDOW vw;
  orla::INIT_VW(vw, 8, 8, false);
  std::set<std::vector<WORD>> glyphs;
  // Latin-2: á é í ó ö ő ú ü ű Á É Í Ó Ö Ő Ú Ü Ű, then the plain vowels
  const std::string letters =
      "\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB\xC1\xC9\xCD\xD3\xD6\xD5\xDA\xDC\xDB"
      "aeiouAEIOU";
  for (const char c : letters) {
    orla::CLRPACKEDSPRITE(vw, 0);
    OUTTEXTXY(vw, 0, 0, 31, 63, 31, std::string(1, c));
    std::vector<WORD> pixels(vw.DATA, vw.DATA + 64);
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), 0xFFFF), 0)
        << int(static_cast<unsigned char>(c));
    glyphs.insert(pixels);
  }
  EXPECT_EQ(glyphs.size(), letters.size()) << "every letter looks different";
  orla::KILL_VW(vw);
  orla::INIT_VW(vw, 8, 16, true);
  OUTTEXTXY2(vw, 0, 0, 31, 63, 31, "z");
  EXPECT_NE(std::count(vw.DATA, vw.DATA + 128, 0xFFFF), 0);
  orla::KILL_VW(vw);
#endif
}
