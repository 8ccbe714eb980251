// Tests of the command-line tools: the picture converter and the archive tool, run as programs.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstring>

#include "file_fixtures.hpp"
#include "orla_files.hpp"
#include "orla_sprites.hpp"

using fixtures::bytes;

namespace {

struct run_result {
  int code = -1;
  std::string out, err;
};

// Runs a tool with the arguments (each quoted) and collects its exit code and output.
run_result run(const fixtures::scratch_dir& dir, const std::string& tool,
               const std::vector<std::string>& args) {
  std::string command = "'" + tool + "'";
  for (const std::string& a : args) command += " '" + a + "'";
  command += " >'" + dir / ".out" + "' 2>'" + dir / ".err" + "'";
  const int status = std::system(command.c_str());
  run_result r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const bytes out = fixtures::read_file(dir / ".out"), err = fixtures::read_file(dir / ".err");
  r.out.assign(out.begin(), out.end());
  r.err.assign(err.begin(), err.end());
  std::filesystem::remove(dir / ".out");
  std::filesystem::remove(dir / ".err");
  return r;
}

run_result imgconv(const fixtures::scratch_dir& dir, const std::vector<std::string>& args) {
  return run(dir, ORLA_IMGCONV, args);
}
run_result bigpack(const fixtures::scratch_dir& dir, const std::vector<std::string>& args) {
  return run(dir, ORLA_BIGPACK, args);
}

// Writes an 8-bit PNG of the given format (PNG_FORMAT_RGB, _RGBA, _GRAY ...).
void write_png(const std::string& path, unsigned w, unsigned h, png_uint_32 format,
               const bytes& pixels) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = format;
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr));
}

bytes read_png_rgb(const std::string& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  image.format = PNG_FORMAT_RGB;
  bytes rgb(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  return rgb;
}

}  // namespace

TEST(ImageTool, HelpAndWrongArguments) {
  fixtures::scratch_dir dir;
  const run_result help = imgconv(dir, {"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("usage: orla_imgconv to-sprite IN.png|IN.pcx OUT.vex"),
            std::string::npos);
  EXPECT_EQ(imgconv(dir, {}).code, 2);
  EXPECT_EQ(imgconv(dir, {"to-bmp", "a", "b"}).code, 2);
}

TEST(ImageTool, SpriteToPngAndBackIsExact) {
  fixtures::scratch_dir dir;
  std::vector<std::uint16_t> pixels;
  for (unsigned i = 0; i < 64 * 16; ++i)
    pixels.push_back(static_cast<std::uint16_t>(i * 0x9E3B + (i >> 3)));
  pixels[0] = 0x0000;
  pixels[1] = 0xFFFF;
  pixels[2] = orla::PACK(31, 0, 16);
  const bytes sprite = fixtures::sprite_file(64, 16, pixels);
  fixtures::write_file(dir / "a.vex", sprite);
  ASSERT_EQ(imgconv(dir, {"to-png", dir / "a.vex", dir / "a.png"}).code, 0);
  const bytes rgb = read_png_rgb(dir / "a.png");
  ASSERT_EQ(rgb.size(), 64u * 16 * 3);
  EXPECT_EQ(bytes(rgb.begin(), rgb.begin() + 9), (bytes{0, 0, 0, 255, 255, 255, 255, 0, 132}))
      << "channels widen by repeating their top bits";

  ASSERT_EQ(imgconv(dir, {"to-sprite", dir / "a.png", dir / "b.vex"}).code, 0);
  EXPECT_EQ(fixtures::read_file(dir / "b.vex"), sprite);
  ASSERT_EQ(imgconv(dir, {"to-png", dir / "b.vex", dir / "b.png"}).code, 0);
  EXPECT_EQ(fixtures::read_file(dir / "b.png"), fixtures::read_file(dir / "a.png"));
}

TEST(ImageTool, PngChannelsAreTruncatedAndTransparencyIsBlack) {
  fixtures::scratch_dir dir;
  // opaque (7, 3, 255), half-transparent white, fully transparent white
  write_png(dir / "t.png", 3, 1, PNG_FORMAT_RGBA,
            {7, 3, 255, 255, 255, 255, 255, 128, 255, 255, 255, 0});
  ASSERT_EQ(imgconv(dir, {"to-sprite", dir / "t.png", dir / "t.vex"}).code, 0);
  EXPECT_EQ(fixtures::read_file(dir / "t.vex"),
            fixtures::sprite_file(3, 1, {orla::PACK(0, 0, 31), orla::PACK(16, 32, 16), 0}));
  write_png(dir / "g.png", 2, 1, PNG_FORMAT_GRAY, {255, 64});
  ASSERT_EQ(imgconv(dir, {"to-sprite", dir / "g.png", dir / "g.vex"}).code, 0);
  EXPECT_EQ(fixtures::read_file(dir / "g.vex"),
            fixtures::sprite_file(2, 1, {0xFFFF, orla::PACK(8, 16, 8)}));
}

TEST(ImageTool, PcxToSprite) {
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "p.pcx", fixtures::pcx(1, 1, {0xC1, 255, 7, 0xC1, 200, 9, 8, 0}));
  ASSERT_EQ(imgconv(dir, {"to-sprite", dir / "p.pcx", dir / "p.vex"}).code, 0);
  EXPECT_EQ(fixtures::read_file(dir / "p.vex"),
            fixtures::sprite_file(2, 1, {orla::PACK(31, 50, 1), 0}));
}

TEST(ImageTool, BadInputIsRefusedAndNothingIsWritten) {
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "bad.pcx", fixtures::pcx(2, 1, {0xC0, 1, 1, 1, 1, 1}));
  fixtures::write_file(dir / "short.vex", {1, 2, 3});
  const run_result missing = imgconv(dir, {"to-png", dir / "none.vex", dir / "x.png"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("File : " + dir / "none.vex"), std::string::npos) << missing.err;
  const run_result damaged = imgconv(dir, {"to-sprite", dir / "bad.pcx", dir / "x.vex"});
  EXPECT_EQ(damaged.code, 1);
  EXPECT_NE(damaged.err.find("Following pcx file is damaged : " + dir / "bad.pcx"),
            std::string::npos);
  EXPECT_EQ(imgconv(dir, {"to-png", dir / "short.vex", dir / "x.png"}).code, 1);
  fixtures::write_file(dir / "ok.vex", fixtures::sprite_file(1, 1, {5}));
  EXPECT_EQ(imgconv(dir, {"to-png", dir / "ok.vex", dir / "no/x.png"}).code, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
  EXPECT_FALSE(std::filesystem::exists(dir / "x.vex"));
}

TEST(ArchiveTool, CreateListExtractRoundTrip) {
  fixtures::scratch_dir dir;
  std::filesystem::create_directories(dir / "in");
  std::filesystem::create_directories(dir / "out");
  bytes menu(5000);
  for (std::size_t i = 0; i < menu.size(); ++i)
    menu[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  const std::vector<std::pair<std::string, bytes>> files{
      {"menu.vex", menu}, {"Fonts.fnt", bytes(3504, 0x5A)}, {"empty.txt", {}}};
  std::vector<std::string> args{"create", dir / "a.big"};
  for (const auto& [name, content] : files) {
    fixtures::write_file(dir / ("in/" + name), content);
    args.push_back(dir / ("in/" + name));
  }
  ASSERT_EQ(bigpack(dir, args).code, 0);
  const run_result listing = bigpack(dir, {"list", dir / "a.big"});
  ASSERT_EQ(listing.code, 0);
  EXPECT_EQ(listing.out, "      5000  MENU.VEX\n      3504  FONTS.FNT\n         0  EMPTY.TXT\n");
  for (const auto& [name, content] : files) {
    ASSERT_EQ(bigpack(dir, {"extract", dir / "a.big", name, dir / "out"}).code, 0) << name;
    EXPECT_EQ(fixtures::read_file(dir / ("out/" + name)), content) << name;
  }
  // the library reads what the tool wrote
  void* p = nullptr;
  EXPECT_EQ(orla_files::BIGFILE2MEM("MENU.VEX", dir / "a.big", p), 5000);
  EXPECT_EQ(bytes(static_cast<std::uint8_t*>(p), static_cast<std::uint8_t*>(p) + 5000), menu);
  orla::FREEPTRSPEICHER(p);
}

TEST(ArchiveTool, RefusesNamesTheReaderWouldNotFind) {
  fixtures::scratch_dir dir;
  std::filesystem::create_directories(dir / "one");
  std::filesystem::create_directories(dir / "two");
  const std::string long_name = dir / (std::string(51, 'n'));
  fixtures::write_file(long_name, {1});
  fixtures::write_file(dir / "one/pic.vex", {1});
  fixtures::write_file(dir / "two/PIC.VEX", {2});
  const run_result too_long = bigpack(dir, {"create", dir / "a.big", long_name});
  EXPECT_EQ(too_long.code, 1);
  EXPECT_NE(too_long.err.find("longer than 50 characters"), std::string::npos);
  const run_result twice =
      bigpack(dir, {"create", dir / "a.big", dir / "one/pic.vex", dir / "two/PIC.VEX"});
  EXPECT_EQ(twice.code, 1);
  EXPECT_NE(twice.err.find("already taken"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.big"));
  EXPECT_EQ(bigpack(dir, {"list", dir / "one/pic.vex"}).code, 1);
  // an entry pointing outside the file: the sound members are listed, the bad one reported
  bytes damaged = fixtures::archive({{fixtures::field("A"), {1}}, {fixtures::field("B"), {2}}});
  fixtures::patch32(damaged, damaged.size() - 30 + 6, 0);
  fixtures::write_file(dir / "damaged.big", damaged);
  const run_result listing = bigpack(dir, {"list", dir / "damaged.big"});
  EXPECT_EQ(listing.code, 1);
  EXPECT_EQ(listing.out, "         1  B\n");
  EXPECT_NE(listing.err.find("1 of 2 directory entries cannot be read"), std::string::npos);
  EXPECT_EQ(bigpack(dir, {"--help"}).code, 0);
  EXPECT_EQ(bigpack(dir, {"create", dir / "a.big"}).code, 2);
}

TEST(ArchiveTool, ExtractionStaysInTheTargetFolder) {
  fixtures::scratch_dir dir;
  std::filesystem::create_directories(dir / "out");
  fixtures::write_file(dir / "secret.txt", {1, 2, 3});
  fixtures::write_file(dir / "x.big", fixtures::archive({{fixtures::field("../SECRET.TXT"), {6, 6}},
                                                         {fixtures::field("LINK.TXT"), {7, 7}}}));
  const run_result escape = bigpack(dir, {"extract", dir / "x.big", "../secret.txt", dir / "out"});
  EXPECT_EQ(escape.code, 1);
  EXPECT_NE(escape.err.find("not a plain file name"), std::string::npos);
  EXPECT_EQ(fixtures::read_file(dir / "secret.txt"), (bytes{1, 2, 3}));

  std::filesystem::create_symlink(dir / "secret.txt", dir / "out/link.txt");
  EXPECT_EQ(bigpack(dir, {"extract", dir / "x.big", "link.txt", dir / "out"}).code, 1) << "exists";
  EXPECT_EQ(bigpack(dir, {"extract", "--force", dir / "x.big", "link.txt", dir / "out"}).code, 0);
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "out/link.txt")) << "the link itself is replaced";
  EXPECT_EQ(fixtures::read_file(dir / "out/link.txt"), (bytes{7, 7}));
  EXPECT_EQ(fixtures::read_file(dir / "secret.txt"), (bytes{1, 2, 3}));
}
