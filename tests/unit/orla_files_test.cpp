// Tests of the whole-file loaders of orla_files and their I/O messages.
#include "orla_files.hpp"

#include <gtest/gtest.h>

#include "bigfile2.hpp"
#include "file_fixtures.hpp"
#include "file_open.hpp"
#include "orla.hpp"
#include "orla_errors.hpp"

using namespace orla_files;
using fixtures::box_regex;
using fixtures::bytes;
using fixtures::field;

namespace {

const std::string read_text(orla_errors::IO_ERRORREADACCESS);

bytes block_bytes(void* p, std::size_t n) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  return bytes(b, b + n);
}

bool reader_idle() {
  for (int a = 1; a <= bigfile2::MAXBIGFILES; ++a)
    if (bigfile2::BIG[a].ACTIVE) return false;
  for (int h = 1; h <= bigfile2::MAXFILES; ++h)
    if (bigfile2::VFILE[h] != 0) return false;
  return true;
}

}  // namespace

TEST(FileLoad, LooseFilesWholeAndAsSprite) {
  fixtures::scratch_dir dir;
  const bytes ten{1, 2, 3, 4, 5, 6, 0x34, 0x12, 0x78, 0x56};
  fixtures::write_file(dir / "ten.bin", ten);
  const orla::LONGINT before = orla::TOTALALLOCMEMORY;

  void* p = nullptr;
  EXPECT_EQ(FILE2MEM(dir / "ten.bin", p), 10);
  EXPECT_EQ(block_bytes(p, 10), ten);
  void* held = p;
  orla::LONGINT dims = 0;
  EXPECT_EQ(FILESPR2MEM(dir / "ten.bin", p, dims), 10);
  EXPECT_EQ(orla::PTRMEM(p), 6);
  EXPECT_EQ(block_bytes(p, 6), bytes(ten.begin(), ten.begin() + 6));
  EXPECT_EQ(dims, 0x56781234);
  EXPECT_EQ(orla::TOTALALLOCMEMORY - before, 16) << "the block held before is not freed";
  orla::FREEPTRSPEICHER(p);
  orla::FREEPTRSPEICHER(held);
  EXPECT_EQ(orla::TOTALALLOCMEMORY, before);
}

TEST(FileLoad, FilesAreOpenedForReadingOnly) {
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "ro.bin", {9, 8, 7});
  std::filesystem::permissions(dir / "ro.bin", std::filesystem::perms::owner_read);
  void* p = nullptr;
  EXPECT_EQ(FILE2MEM(dir / "ro.bin", p), 3);
  orla::FREEPTRSPEICHER(p);
  // a running program cannot be opened for writing, not even by the superuser
  const auto self = orla::detail::path_utf8(orla::detail::running_program());
  EXPECT_EQ(FILE2MEM(self, p), static_cast<orla::LONGINT>(std::filesystem::file_size(self)));
  orla::FREEPTRSPEICHER(p);
}

TEST(FileLoad, ArchiveMembersWholeAndAsSprite) {
  fixtures::scratch_dir dir;
  const bytes data{1, 2, 3, 4, 5, 6, 7, 8};
  fixtures::write_file(dir / "a.big", fixtures::archive({{field("X.VEX"), data}}));
  void* p = nullptr;
  EXPECT_EQ(BIGFILE2MEM("x.vex", dir / "a.big", p), 8);
  EXPECT_EQ(block_bytes(p, 8), data);
  orla::FREEPTRSPEICHER(p);
  orla::LONGINT dims = 0;
  EXPECT_EQ(BIGFILESPR2MEM("X.VEX", dir / "a.big", p, dims), 8);
  EXPECT_EQ(orla::PTRMEM(p), 8) << "allocated at the full member size";
  EXPECT_EQ(block_bytes(p, 4), bytes(data.begin(), data.begin() + 4));
  EXPECT_EQ(dims, 0x08070605);
  orla::FREEPTRSPEICHER(p);
  EXPECT_TRUE(reader_idle()) << "archive and member are closed after each load";
}

TEST(FileLoad, RefusalsLeaveNothingBehind) {
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "a.big", fixtures::archive({{field("S"), {1, 2, 3}}}));
  fixtures::write_file(dir / "s.bin", {1, 2, 3});
  const orla::LONGINT before = orla::TOTALALLOCMEMORY;
  void* p = nullptr;
  orla::LONGINT dims = 0, size = 0;
  EXPECT_TRUE(detail::try_bigfile2mem("T", dir / "a.big", p, size));
  EXPECT_TRUE(detail::try_bigfilespr2mem("S", dir / "a.big", p, dims, size));
  EXPECT_TRUE(detail::try_filespr2mem(dir / "s.bin", p, dims, size));
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(orla::TOTALALLOCMEMORY, before);
  EXPECT_TRUE(reader_idle());
  // messages are cut at 255 characters
  const auto f = detail::try_file2mem(std::string(300, 'n'), p, size);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->text.size(), 255u);
}

TEST(FileLoadDeathTest, MessagesNameTheFile) {
  // forked at the statement, so the child sees this test's scratch folder
  GTEST_FLAG_SET(death_test_style, "fast");
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "plain.big", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  fixtures::write_file(dir / "a.big", fixtures::archive({{field("S"), {1, 2, 3}}}));
  fixtures::write_file(dir / "s.vex", {1, 2, 3});
  void* p = nullptr;
  orla::LONGINT dims = 0;
  EXPECT_EXIT(FILE2MEM("menu.vex", p), testing::ExitedWithCode(1),
              box_regex("I/O ERROR", read_text + "\r\rFile : menu.vex"));
  EXPECT_EXIT(
      BIGFILE2MEM("x", dir / "plain.big", p), testing::ExitedWithCode(1),
      box_regex("I/O ERROR", read_text +
                                 "\r\rInternal error message : \rFile is not a Bigfile\r\rFile : " +
                                 dir / "plain.big"));
  EXPECT_EXIT(BIGFILE2MEM("x", dir / "a.big", p), testing::ExitedWithCode(1),
              box_regex("I/O ERROR",
                        read_text + "\r\rError occured while open sub file \"x\" of main file \"" +
                            dir / "a.big" + "\" ! "));
  // a sprite file without room for its dimensions
  EXPECT_EXIT(FILESPR2MEM(dir / "s.vex", p, dims), testing::ExitedWithCode(1),
              box_regex("I/O ERROR", read_text + "\r\rFile : " + dir / "s.vex"));
  EXPECT_EXIT(BIGFILESPR2MEM("s", dir / "a.big", p, dims), testing::ExitedWithCode(1),
              box_regex("I/O Error !",
                        "An error occured when trying to load sub file \"s\" from main file \"" +
                            dir / "a.big" + "\" ! "));
}
