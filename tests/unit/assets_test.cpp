// Tests of the built pictures of every language: sprite file layout, the drawing surface, and the
// button artwork with its labels.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "panel_buttons.hpp"

namespace {

struct picture {
  std::uintmax_t file_size = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint16_t> pixels;
  std::uint16_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  // the file holds exactly the pixels its trailer announces
  bool well_formed() const {
    return width > 0 && height > 0 &&
           file_size == static_cast<std::uintmax_t>(width) * height * 2 + 4;
  }
};

constexpr const char* not_built = "the pictures are not built (no image converter in this build)";

using panel_test::rect;

std::filesystem::path run_dir() {
  return std::filesystem::path(ORLA_BINARY_DIR) / "run";
}

// reads a sprite file of the run folder (name may start with a language's folder): the pixels,
// then width and height as two little-endian 16-bit values; false when the file is not there
bool load(const std::string& name, picture& pic) {
  const auto path = run_dir() / name;
  if (!std::filesystem::exists(path)) return false;
  pic.file_size = std::filesystem::file_size(path);
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
  const std::size_t n = bytes.size();
  if (n < 4) return true;
  pic.width = bytes[n - 4] | (bytes[n - 3] << 8);
  pic.height = bytes[n - 2] | (bytes[n - 1] << 8);
  for (std::size_t i = 0; i + 1 < n - 4; i += 2)
    pic.pixels.push_back(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
  return true;
}

// perceived brightness 0..255 of a 5-6-5 pixel
int luma(std::uint16_t p) {
  const int r = (p >> 11) * 255 / 31, g = ((p >> 5) & 63) * 255 / 63, b = (p & 31) * 255 / 31;
  return (299 * r + 587 * g + 114 * b) / 1000;
}

// The pictures of each language: Hungarian in the run folder, English in en/.
class Pictures : public testing::TestWithParam<std::string> {
 protected:
  bool load(const std::string& name, picture& pic) { return ::load(GetParam() + name, pic); }
};

std::string language_name(const testing::TestParamInfo<std::string>& info) {
  return info.param.empty() ? "hu" : info.param.substr(0, info.param.size() - 1);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Languages, Pictures, testing::Values("", "en/"), language_name);

TEST_P(Pictures, SpriteFilesHaveTheSizesTheProgramNeeds) {
  picture menu;
  if (!load("menu.vex", menu)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(menu.well_formed()) << "menu.vex";
  picture sugo;
  if (!load("sugo.vex", sugo)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(sugo.well_formed()) << "sugo.vex";
  picture intro;
  if (!load("vex.vex", intro)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(intro.well_formed()) << "vex.vex";
  EXPECT_EQ(menu.width, 800);
  EXPECT_EQ(menu.height, 600);
  EXPECT_EQ(sugo.width, 800);
  EXPECT_EQ(sugo.height, 600);
  // centred on the 800 x 600 intro screen when its corner is at (150, 175)
  EXPECT_EQ(intro.width, 500);
  EXPECT_EQ(intro.height, 250);
}

TEST_P(Pictures, DrawingSurfaceIsLighterThanTheShadows) {
  picture menu;
  if (!load("menu.vex", menu)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(menu.well_formed() && menu.width == 800 && menu.height == 600) << "menu.vex";
  // the figure's shadows are (25, 50, 25): every surface pixel is clearly lighter in each channel
  for (int y = 0; y <= 457; ++y)
    for (int x = 0; x < 800; ++x) {
      const std::uint16_t p = menu.at(x, y);
      ASSERT_GE(p >> 11, 28) << x << "," << y;
      ASSERT_GE((p >> 5) & 63, 56) << x << "," << y;
      ASSERT_GE(p & 31, 28) << x << "," << y;
    }
  EXPECT_LT(luma(menu.at(5, 595)), 128) << "the panel stands apart from the surface";
}

TEST_P(Pictures, EveryButtonFaceFillsExactlyItsTintedArea) {
  picture menu;
  if (!load("menu.vex", menu)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(menu.well_formed() && menu.width == 800 && menu.height == 600) << "menu.vex";
  // a face covers x1..x2-1, y1..y2-1 (the area the program tints); around it lies the panel
  const std::uint16_t panel = menu.at(5, 595);
  for (std::size_t n = 1; n < panel_test::buttons.size(); ++n) {
    const rect r = panel_test::buttons[n];
    SCOPED_TRACE("button " + std::to_string(n));
    for (int x = r.x1 - 1; x <= r.x2; ++x) {
      EXPECT_EQ(menu.at(x, r.y1 - 1), panel) << x;
      EXPECT_EQ(menu.at(x, r.y2), panel) << x;
    }
    for (int y = r.y1; y < r.y2; ++y) {
      EXPECT_EQ(menu.at(r.x1 - 1, y), panel) << y;
      EXPECT_EQ(menu.at(r.x2, y), panel) << y;
      EXPECT_NE(menu.at(r.x1, y), panel) << y;
      EXPECT_NE(menu.at(r.x2 - 1, y), panel) << y;
    }
    for (int x = r.x1; x < r.x2; ++x) {
      EXPECT_NE(menu.at(x, r.y1), panel) << x;
      EXPECT_NE(menu.at(x, r.y2 - 1), panel) << x;
    }
  }
}

TEST_P(Pictures, ButtonFacesAreLightAndLabelled) {
  picture menu;
  if (!load("menu.vex", menu)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(menu.well_formed() && menu.width == 800 && menu.height == 600) << "menu.vex";
  // light faces keep the blue, yellow and grey tints readable; dark pixels are the label
  for (std::size_t n = 1; n < panel_test::buttons.size(); ++n) {
    const rect r = panel_test::buttons[n];
    int light = 0, dark = 0, total = 0;
    for (int y = r.y1 + 2; y < r.y2 - 2; ++y)
      for (int x = r.x1 + 2; x < r.x2 - 2; ++x) {
        const int l = luma(menu.at(x, y));
        light += l >= 200;
        dark += l <= 110;
        ++total;
      }
    EXPECT_GT(light * 10, total * 6) << "button " << n;
    EXPECT_GT(dark, 20) << "button " << n << " has no label or symbol";
  }
}

TEST_P(Pictures, EveryLabelStaysClearOfItsButtonsEdge) {
  picture menu;
  if (!load("menu.vex", menu)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(menu.well_formed() && menu.width == 800 && menu.height == 600) << "menu.vex";
  // Inside the face's one-pixel edge, two rows and columns of bare face all round: a label too
  // long or too tall for its button runs into them before it leaves the face. Buttons 12 to 15
  // carry symbols only; on the slider the ticks take the sides, its label runs down the middle.
  for (std::size_t n = 1; n < panel_test::buttons.size(); ++n) {
    if (n >= 12 && n <= 15) continue;
    const rect r = panel_test::buttons[n];
    const int inset = n == 16 ? 8 : 1;
    const std::uint16_t face = menu.at(r.x1 + 1, r.y1 + 1);
    SCOPED_TRACE("button " + std::to_string(n));
    for (int y = r.y1 + 1; y <= r.y2 - 2; ++y)
      for (int x = r.x1 + inset; x <= r.x2 - 1 - inset; ++x) {
        const bool by_edge =
            y <= r.y1 + 2 || y >= r.y2 - 3 || x <= r.x1 + inset + 1 || x >= r.x2 - 2 - inset;
        if (by_edge) {
          ASSERT_EQ(menu.at(x, y), face) << x << "," << y;
        }
      }
  }
}

TEST(PicturesInEnglish, EveryLabelIsTranslated) {
  picture hu, en;
  if (!load("menu.vex", hu) || !load("en/menu.vex", en)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(hu.well_formed() && en.well_formed() && hu.pixels.size() == en.pixels.size());
  // the buttons with a label: their faces differ between the languages
  for (const std::size_t n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16}) {
    const rect r = panel_test::buttons[n];
    int different = 0;
    for (int y = r.y1; y < r.y2; ++y)
      for (int x = r.x1; x < r.x2; ++x) different += hu.at(x, y) != en.at(x, y);
    EXPECT_GT(different, 20) << "button " << n << " has the Hungarian label in English";
  }
}

TEST_P(Pictures, HelpPictureKeepsTheExitButtonWhereItActs) {
  picture menu;
  if (!load("menu.vex", menu)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(menu.well_formed() && menu.width == 800 && menu.height == 600) << "menu.vex";
  picture sugo;
  if (!load("sugo.vex", sugo)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(sugo.well_formed() && sugo.width == 800 && sugo.height == 600) << "sugo.vex";
  // a click on the exit button's rectangle ends the program even on the help screen
  const rect r = panel_test::buttons[1];
  for (int y = r.y1; y < r.y2; ++y)
    for (int x = r.x1; x < r.x2; ++x) ASSERT_EQ(sugo.at(x, y), menu.at(x, y)) << x << "," << y;
}

TEST_P(Pictures, IntroPictureBlendsIntoTheWhiteScreen) {
  picture intro;
  if (!load("vex.vex", intro)) GTEST_SKIP() << not_built;
  ASSERT_TRUE(intro.well_formed()) << "vex.vex";
  for (int x = 0; x < intro.width; ++x) {
    EXPECT_EQ(intro.at(x, 0), 0xFFFF) << x;
    EXPECT_EQ(intro.at(x, intro.height - 1), 0xFFFF) << x;
  }
  for (int y = 0; y < intro.height; ++y) {
    EXPECT_EQ(intro.at(0, y), 0xFFFF) << y;
    EXPECT_EQ(intro.at(intro.width - 1, y), 0xFFFF) << y;
  }
}
