// Tests of the sprite files and the PCX import of orla_sprites.
#include "orla_sprites.hpp"

#include <gtest/gtest.h>

#include "file_fixtures.hpp"
#include "headless.hpp"
#include "orla_errors.hpp"

using namespace orla_sprites;
using fixtures::box_regex;
using fixtures::bytes;
using fixtures::field;

namespace {

const std::string read_text(orla_errors::IO_ERRORREADACCESS);
const std::string write_text(orla_errors::IO_ERRORWRITEACCESS);

std::vector<WORD> pixels_of(const VIRTUALWINDOW& vw) {
  return std::vector<WORD>(vw.DATA, vw.DATA + vw.BREITE * vw.HOEHE);
}

// A 3 x 2 picture: each row red, green and blue planes of 3 pixels and a padding byte; 255 is
// stored as a run of one, as bytes from 192 up must be.
bytes three_by_two(std::uint8_t pad) {
  return fixtures::pcx(3, 2,
                       {0xC1, 255, 8,   0,    pad, 0xC1, 255,  4,    0,   pad,  0xC1, 255,
                        8,    0,   pad, 0xC3, 16,  pad,  0xC3, 0x80, pad, 0xC4, 0});  // row 1: runs
}

}  // namespace

TEST(SpriteFile, SaveAndLoadRoundTrip) {
  fixtures::scratch_dir dir;
  VIRTUALWINDOW vw;
  orla::INIT_VW(vw, 3, 2, false);
  const std::vector<WORD> pixels{0x0000, 0xFFFF, 0x1234, 0xF800, 0x07E0, 0x001F};
  std::copy(pixels.begin(), pixels.end(), vw.DATA);
  SAVE_SPRITE(dir / "pic.vex", vw);
  orla::KILL_VW(vw);
  EXPECT_EQ(fixtures::read_file(dir / "pic.vex"), fixtures::sprite_file(3, 2, pixels));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1)
      << "no temporary file is left";

  const orla::LONGINT before = orla::TOTALALLOCMEMORY;
  LOAD_SPRITE(dir / "pic.vex", "", vw);
  EXPECT_EQ(vw.BREITE, 3);
  EXPECT_EQ(vw.HOEHE, 2);
  EXPECT_EQ(vw.SIZE, 12);
  EXPECT_TRUE(vw.LOADED);
  EXPECT_EQ(vw.NAME, dir / "pic.vex");
  EXPECT_EQ(static_cast<void*>(vw.DATA), MEMORY);
  EXPECT_EQ(pixels_of(vw), pixels);
  orla::KILL_VW(vw);
  EXPECT_EQ(orla::TOTALALLOCMEMORY, before);
}

TEST(SpriteFile, LoadsFromArchivesAndIgnoresExtraBytes) {
  fixtures::scratch_dir dir;
  bytes file = fixtures::sprite_file(2, 1, {0xAAAA, 0xBBBB});
  file.insert(file.end() - 4, {9, 9, 9});  // bytes after the pixels, before the dimensions
  fixtures::write_file(dir / "x.vex", file);
  fixtures::write_file(dir / "a.big", fixtures::archive({{field("X.VEX"), file}}));
  VIRTUALWINDOW loose, member;
  LOAD_SPRITE(dir / "x.vex", "", loose);
  LOAD_SPRITE("x.vex", dir / "a.big", member);
  EXPECT_EQ(pixels_of(loose), (std::vector<WORD>{0xAAAA, 0xBBBB}));
  EXPECT_EQ(pixels_of(member), pixels_of(loose));
  EXPECT_EQ(member.NAME, "x.vex") << "the member's name, not the archive's";
  orla::KILL_VW(loose);
  orla::KILL_VW(member);
}

TEST(SpriteFile, OverwriteNeedsConsent) {
  fixtures::scratch_dir dir;
  const bytes old{1, 2, 3};
  fixtures::write_file(dir / "pic.vex", old);
  VIRTUALWINDOW vw;
  orla::INIT_VW(vw, 1, 1, true);
  headless::set_yes_no_answer(win32::IDNO);
  SAVE_SPRITE(dir / "pic.vex", vw);
  EXPECT_EQ(headless::message_boxes().back().text,
            "\"" + dir / "pic.vex" + "\" already exists ! Overwrite ?");
  EXPECT_EQ(fixtures::read_file(dir / "pic.vex"), old);
  headless::set_yes_no_answer(win32::IDYES);
  SAVE_SPRITE(dir / "pic.vex", vw);
  headless::set_yes_no_answer(win32::IDNO);
  EXPECT_EQ(fixtures::read_file(dir / "pic.vex"), fixtures::sprite_file(1, 1, {0}));
  orla::KILL_VW(vw);
}

#ifndef _WIN32
// permission bits, symbolic links and another user are POSIX notions
TEST(SpriteFileDeathTest, SavingKeepsTheModeFollowsLinksAndWritesInPlaceWhereItMust) {
  namespace fs = std::filesystem;
  GTEST_FLAG_SET(death_test_style, "fast");
  fixtures::scratch_dir dir;
  VIRTUALWINDOW vw;
  orla::INIT_VW(vw, 1, 1, false);
  vw.DATA[0] = 0x1234;
  const bytes saved = fixtures::sprite_file(1, 1, {0x1234});
  headless::set_yes_no_answer(win32::IDYES);

  // a private picture behind a link: the target gets the picture and keeps its mode
  fs::create_directories(dir / "sub");
  fixtures::write_file(dir / "sub/real.vex", {1, 2, 3});
  fs::permissions(dir / "sub/real.vex", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("sub/real.vex", dir / "pic.vex");
  SAVE_SPRITE(dir / "pic.vex", vw);
  EXPECT_TRUE(fs::is_symlink(dir / "pic.vex"));
  EXPECT_EQ(fixtures::read_file(dir / "sub/real.vex"), saved);
  EXPECT_EQ(fs::status(dir / "sub/real.vex").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "sub"), {}), 1) << "no temporary file";

  // a writable picture in a folder that takes no new file, saved by a plain user
  fs::create_directories(dir / "shut");
  fixtures::write_file(dir / "shut/pic.vex", {1, 2, 3});
  fs::permissions(
      dir / "shut/pic.vex",
      fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
  fs::permissions(dir / "shut",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::string shut = dir / "shut";
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(2);
        if (::access(shut.c_str(), W_OK) == 0) std::_Exit(3);  // the folder must refuse
        SAVE_SPRITE(shut + "/pic.vex", vw);
        std::_Exit(0);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(fixtures::read_file(dir / "shut/pic.vex"), saved);
  headless::set_yes_no_answer(win32::IDNO);
  orla::KILL_VW(vw);
}
#endif

TEST(SpriteFileDeathTest, WriteFailuresLeaveTheOldFile) {
  // forked at the statement, so the child sees this test's scratch folder
  GTEST_FLAG_SET(death_test_style, "fast");
  fixtures::scratch_dir dir;
  const fixtures::working_dir cd(dir.path);
  const bytes old{1, 2, 3};
  fixtures::write_file("locked.vex", old);
  std::filesystem::permissions("locked.vex", std::filesystem::perms::owner_read);
  VIRTUALWINDOW vw;
  orla::INIT_VW(vw, 1, 1, true);
  headless::set_yes_no_answer(win32::IDYES);
  EXPECT_EXIT(SAVE_SPRITE("locked.vex", vw), testing::ExitedWithCode(1),
              box_regex("I/O ERROR", write_text + "\r\rFile : locked.vex"));
  EXPECT_EXIT(SAVE_SPRITE("no/such.vex", vw), testing::ExitedWithCode(1),
              box_regex("I/O ERROR", write_text + "\r\rFile : no/such.vex"));
  VIRTUALWINDOW no_pixels;
  orla::CALCULATEVW(no_pixels, 2, 2);
  EXPECT_EXIT(SAVE_SPRITE("new.vex", no_pixels), testing::ExitedWithCode(1),
              box_regex("INTERNAL ERROR", "Following sprite cannot be saved : new.vex"));
  headless::set_yes_no_answer(win32::IDNO);
  EXPECT_EQ(fixtures::read_file("locked.vex"), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
  orla::KILL_VW(vw);
}

TEST(SpriteFileDeathTest, InconsistentFilesAreRefused) {
  // forked at the statement, so the child sees this test's scratch folder
  GTEST_FLAG_SET(death_test_style, "fast");
  fixtures::scratch_dir dir;
  const std::pair<const char*, bytes> bad[] = {
      {"SHORT.VEX", {3, 0, 1}},
      {"NOWIDTH.VEX", fixtures::sprite_file(0, 5, {1, 2})},
      {"NOHEIGHT.VEX", fixtures::sprite_file(5, 0, {1, 2})},
      {"FEW.VEX", fixtures::sprite_file(2, 2, {1, 2, 3})},
  };
  std::vector<fixtures::member> members;
  VIRTUALWINDOW vw;
  for (const auto& [name, content] : bad) {
    fixtures::write_file(dir / name, content);
    members.push_back({field(name), content});
    EXPECT_EXIT(LOAD_SPRITE(dir / name, "", vw), testing::ExitedWithCode(1),
                box_regex("I/O ERROR", read_text + "\r\rFile : " + dir / name));
  }
  fixtures::write_file(dir / "a.big", fixtures::archive(members));
  for (const auto& [name, content] : bad)
    EXPECT_EXIT(LOAD_SPRITE(name, dir / "a.big", vw), testing::ExitedWithCode(1),
                box_regex("I/O Error !", "An error occured when trying to load sub file \"" +
                                             std::string(name) + "\" from main file \"" +
                                             dir / "a.big" + "\" ! "));
}

TEST(PcxImport, OddWidthGetsABlackPaddingColumnAndChannelsArePacked) {
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "p.pcx", three_by_two(0x55));
  VIRTUALWINDOW vw;
  const orla::LONGINT before = orla::TOTALALLOCMEMORY;
  LOAD_PCX(dir / "p.pcx", "", vw);
  EXPECT_EQ(vw.BREITE, 4);
  EXPECT_EQ(vw.HOEHE, 2);
  EXPECT_EQ(vw.NAME, dir / "p.pcx");
  EXPECT_EQ(MEMORY, nullptr);
  EXPECT_EQ(orla::TOTALALLOCMEMORY - before, vw.SIZE) << "only the picture stays allocated";
  const WORD white = 0xFFFF, dim = (1 << 11) + (1 << 5) + 1;
  // row 1: red run of 3 x 16 then a literal pad; green run 3 x 0x80; blue run of 4 x 0 reaching
  // into the added column
  const WORD run = (2 << 11) + (32 << 5);
  EXPECT_EQ(pixels_of(vw), (std::vector<WORD>{white, dim, 0, 0, run, run, run, 0}));
  orla::KILL_VW(vw);

  fixtures::write_file(dir / "q.pcx", fixtures::pcx(3, 1, {0xC4, 200, 0xC4, 0, 0xC4, 0}));
  LOAD_PCX(dir / "q.pcx", "", vw);
  EXPECT_EQ(vw.DATA[3], (200 >> 3) << 11) << "a run reaching into the added column fills it";
  orla::KILL_VW(vw);
}

TEST(PcxImport, LoadsFromArchives) {
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "a.big", fixtures::archive({{field("P.PCX"), three_by_two(0)}}));
  VIRTUALWINDOW vw;
  LOAD_PCX("p.pcx", dir / "a.big", vw);
  EXPECT_EQ(vw.BREITE, 4);
  EXPECT_EQ(vw.DATA[0], 0xFFFF);
  orla::KILL_VW(vw);
}

TEST(PcxImportDeathTest, BadFilesAreRefusedInOrder) {
  // forked at the statement, so the child sees this test's scratch folder
  GTEST_FLAG_SET(death_test_style, "fast");
  fixtures::scratch_dir dir;
  const bytes row{1, 2, 3, 4, 5, 6};
  const std::tuple<const char*, bytes, const char*> bad[] = {
      {"short.pcx", bytes(100, 10), "Following file has not a valid pcx format : "},
      {"maker.pcx", fixtures::pcx(2, 1, row, 1, 3, 9),
       "Following file has not a valid pcx format : "},
      {"raw.pcx", fixtures::pcx(2, 1, row, 0, 1), "Following pcx file is not compressed : "},
      {"planes.pcx", fixtures::pcx(2, 1, row, 1, 1),
       "Following file is not a 24 Bit 64 Kb color pcx : "},
      {"huge.pcx", fixtures::pcx(65536, 65536, row),
       "Following pcx file has an impossible size : "},
      {"big.pcx", fixtures::pcx(100, 100, row), "Following pcx file has an impossible size : "},
      {"past.pcx", fixtures::pcx(2, 1, {0xC3, 1, 1, 2, 3, 4}), "Following pcx file is damaged : "},
      {"zero.pcx", fixtures::pcx(2, 1, {0xC0, 1, 1, 2, 3, 4}), "Following pcx file is damaged : "},
      {"early.pcx", fixtures::pcx(2, 1, {1, 2, 3, 4, 5, 0xC2}), "Following pcx file is damaged : "},
  };
  VIRTUALWINDOW vw;
  for (const auto& [name, content, text] : bad) {
    fixtures::write_file(dir / name, content);
    EXPECT_EXIT(LOAD_PCX(dir / name, "", vw), testing::ExitedWithCode(1),
                box_regex("FILE ERROR", text + dir / name))
        << name;
  }
}
