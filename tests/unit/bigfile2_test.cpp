// Tests of the archive reader bigfile2: result codes, search, handles, reads, malformed archives.
#include "bigfile2.hpp"

#include <gtest/gtest.h>

#include <climits>

#include "file_fixtures.hpp"

using namespace bigfile2;
using fixtures::bytes;
using fixtures::field;

namespace {

// Every test leaves the reader as it found it: all slots and handles free.
class Bigfile : public testing::Test {
 protected:
  void TearDown() override {
    for (int h = 1; h <= MAXFILES; ++h) CLOSEFILE(0, static_cast<WORD>(h));
    for (int a = 1; a <= MAXBIGFILES; ++a)
      if (BIG[a].ACTIVE) BIGCLOSE(static_cast<BYTE>(a));
  }
  std::string make(const std::string& name, const bytes& content) {
    fixtures::write_file(dir / name, content);
    return dir / name;
  }
  bytes read_all(BYTE a, WORD h) {
    bytes out(static_cast<std::size_t>(SIZEFILE(a, h)));
    EXPECT_EQ(READBIG(a, h, out.data(), static_cast<LONGINT>(out.size())), 0);
    return out;
  }
  fixtures::scratch_dir dir;
  const bytes menu{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
};

}  // namespace

TEST(BigfileCodes, ErrorStrings) {
  EXPECT_EQ(ERRORSTRING(0), "Ok");
  EXPECT_EQ(ERRORSTRING(245), "More than 500 files open");
  EXPECT_EQ(ERRORSTRING(247), "Internal error");
  EXPECT_EQ(ERRORSTRING(248), "Too many bigfiles open");
  EXPECT_EQ(ERRORSTRING(249), "File is not a Bigfile");
  EXPECT_EQ(ERRORSTRING(250), "Write protection");
  EXPECT_EQ(ERRORSTRING(251), "Bad handle");
  EXPECT_EQ(ERRORSTRING(253), "Seek out of range");
  EXPECT_EQ(ERRORSTRING(254), "File not found in Bigfile");
  EXPECT_EQ(ERRORSTRING(255), "Bigfile not found");
  for (const int other : {1, 3, 10, 244, 246, 252})
    EXPECT_EQ(ERRORSTRING(static_cast<BYTE>(other)), "Not an Error. Handle number") << other;
}

TEST_F(Bigfile, OpenFailuresLeaveTheSlotFree) {
  EXPECT_EQ(BIGOPEN(dir / "missing.big"), 255);
  EXPECT_EQ(BIGOPEN(dir.path.string()), 255) << "a folder is not an archive";
  EXPECT_EQ(BIGOPEN(make("short.big", {'B', 'G'})), 247) << "no room for the signature";
  EXPECT_EQ(BIGOPEN(make("plain.big", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})), 249);
  for (int a = 1; a <= MAXBIGFILES; ++a) EXPECT_FALSE(BIG[a].ACTIVE) << a;
  EXPECT_EQ(BIGOPEN(make("good.big", fixtures::archive({{field("MENU.VEX"), menu}}))), 1);
}

TEST_F(Bigfile, TenArchivesAtOnceAndCloseCodes) {
  const std::string name = make("a.big", fixtures::archive({{field("MENU.VEX"), menu}}));
  for (int a = 1; a <= MAXBIGFILES; ++a) ASSERT_EQ(BIGOPEN(name), a);
  EXPECT_EQ(BIGOPEN(name), 248);
  const WORD h = OPENFILE(10, "menu.vex");
  ASSERT_NE(h, 0) << "the open archives are unaffected";
  EXPECT_EQ(read_all(10, h), menu);
  EXPECT_EQ(BIGSIZE(3), static_cast<LONGINT>(50 + menu.size() + 20));
  EXPECT_EQ(BIGCLOSE(3), 0);
  EXPECT_EQ(BIGSIZE(3), 0);
  EXPECT_EQ(BIGCLOSE(3), 247) << "closing a slot without an open file is a failed close";
  EXPECT_EQ(BIGCLOSE(0), 251);
  EXPECT_EQ(BIGCLOSE(11), 251);
  EXPECT_EQ(BIGOPEN(name), 3) << "the lowest free slot is taken";
}

TEST_F(Bigfile, NamesAreFoundWithoutRegardToCase) {
  const bytes other{42};
  const std::string name = make("a.big", fixtures::archive({{field("menu.vex"), other},
                                                            {field("MENU.VEX"), menu},
                                                            {std::string(50, 'L'), other}}));
  const BYTE a = BIGOPEN(name);
  for (const char* key : {"menu.vex", "MENU.VEX", "Menu.Vex"}) {
    EXPECT_EQ(BIGSEARCH(a, key), 51 + 50)
        << key << ": the field stored in lower case is never found";
    EXPECT_EQ(LASTSIZE, 10);
  }
  EXPECT_EQ(BIGSEARCH(a, "MENU.VE"), 0);
  EXPECT_EQ(BIGSEARCH(a, std::string(60, 'l')), 101 + 10 + 50) << "keys are cut at 50";
  const WORD h = OPENFILE(a, "Menu.Vex");
  ASSERT_NE(h, 0);
  EXPECT_EQ(read_all(a, h), menu);
}

TEST_F(Bigfile, EqualChecksumsAreToldApartByName) {
  const bytes first{1, 1}, second{2, 2, 2};
  const BYTE a =
      BIGOPEN(make("a.big", fixtures::archive({{field("AB"), first}, {field("BA"), second}})));
  const WORD h = OPENFILE(a, "ba");
  ASSERT_NE(h, 0);
  EXPECT_EQ(read_all(a, h), second);
}

TEST_F(Bigfile, EmptyDirectoryAndInactiveSlotsFindNothing) {
  const BYTE a = BIGOPEN(make("empty.big", fixtures::archive({})));
  ASSERT_EQ(a, 1);
  EXPECT_EQ(OPENFILE(a, ""), 0);
  // changed behaviour: no bogus handle from an archive that is not open
  EXPECT_EQ(BIGSEARCH(2, "MENU.VEX"), 0);
  EXPECT_EQ(OPENFILE(2, "MENU.VEX"), 0);
  EXPECT_EQ(OPENFILE(0, "MENU.VEX"), 0);
  EXPECT_EQ(OPENFILE(200, "MENU.VEX"), 0);
  for (int h = 1; h <= MAXFILES; ++h) ASSERT_EQ(VFILE[h], 0);
}

TEST_F(Bigfile, ArchiveChangedAfterOpenGivesNoHandle) {
  const std::string name = make("a.big", fixtures::archive({{field("MENU.VEX"), menu}}));
  const BYTE a = BIGOPEN(name);
  std::filesystem::resize_file(name, 55);
  EXPECT_EQ(OPENFILE(a, "MENU.VEX"), 0);
  EXPECT_EQ(VFILE[1], 0);
}

TEST_F(Bigfile, FiveHundredHandlesShareOnePool) {
  const BYTE a = BIGOPEN(make("a.big", fixtures::archive({{field("MENU.VEX"), menu}})));
  for (int h = 1; h <= MAXFILES; ++h) ASSERT_EQ(OPENFILE(a, "menu.vex"), h);
  EXPECT_EQ(OPENFILE(a, "menu.vex"), 0);
  bytes two(2);
  ASSERT_EQ(READBIG(a, 250, two.data(), 2), 0);
  EXPECT_EQ(two, (bytes{1, 2}));
  EXPECT_EQ(VFILEPOS[249], 0) << "no open handle is disturbed";
  EXPECT_EQ(CLOSEFILE(a, 77), 0);
  EXPECT_EQ(OPENFILE(a, "menu.vex"), 77);
}

TEST_F(Bigfile, ReadsStopAtTheMemberEnd) {
  const BYTE a =
      BIGOPEN(make("a.big", fixtures::archive({{field("MENU.VEX"), menu}, {field("X"), {99}}})));
  const WORD h = OPENFILE(a, "MENU.VEX");
  bytes buffer(100, 0xEE);
  EXPECT_EQ(READBIG(a, h, buffer.data(), 4), 0);
  EXPECT_EQ(READBIG(a, h, buffer.data(), 100), 0);
  EXPECT_EQ(VFILEPOS[h], 10);
  EXPECT_EQ(bytes(buffer.begin(), buffer.begin() + 7), (bytes{5, 6, 7, 8, 9, 10, 0xEE}));
  EXPECT_EQ(READBIG(a, h, buffer.data(), 100), 0) << "nothing left: no error, nothing read";
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(READBIG(a, h, buffer.data(), -5), 0);
  EXPECT_EQ(VFILEPOS[h], 10);
}

TEST_F(Bigfile, SeekIsAbsoluteWithinTheMember) {
  const BYTE a = BIGOPEN(make("a.big", fixtures::archive({{field("MENU.VEX"), menu}})));
  const WORD h = OPENFILE(a, "MENU.VEX");
  EXPECT_EQ(SEEKBIG(a, h, 3), 0);
  EXPECT_EQ(SEEKBIG(a, h, 3), 0);
  std::uint8_t b = 0;
  EXPECT_EQ(READBIG(a, h, &b, 1), 0);
  EXPECT_EQ(b, 4);
  EXPECT_EQ(SEEKBIG(a, h, 10), 0);
  EXPECT_EQ(SEEKBIG(a, h, 11), 253);
  EXPECT_EQ(SEEKBIG(a, h, -1), 253);
  EXPECT_EQ(VFILEPOS[h], 10);
}

TEST_F(Bigfile, FreeHandlesAreRefused) {
  const BYTE a = BIGOPEN(make("a.big", fixtures::archive({{field("MENU.VEX"), menu}})));
  std::uint8_t b = 0;
  for (const WORD h : {WORD{0}, WORD{5}, WORD{501}}) {
    EXPECT_EQ(READBIG(a, h, &b, 1), 251) << h;
    EXPECT_EQ(SEEKBIG(a, h, 0), 251) << h;
    EXPECT_EQ(CLOSEFILE(a, h), 251) << h;
    EXPECT_EQ(SIZEFILE(a, h), 0) << h;
  }
  const WORD h = OPENFILE(a, "MENU.VEX");
  EXPECT_EQ(SIZEFILE(a, h), 10);
  EXPECT_EQ(SIZEFILE(4, h), 0) << "inactive slot";
  EXPECT_EQ(CLOSEFILE(a, h), 0);
  EXPECT_EQ(CLOSEFILE(a, h), 251);
}

// An archive whose directory is unusable is refused at the open, and none leaves a slot in use;
// an entry pointing outside the file costs only its own member.
TEST_F(Bigfile, MalformedArchivesAreRefused) {
  const bytes good = fixtures::archive({{field("A"), menu}, {field("B"), {7, 7}}});
  const std::size_t s = good.size(), directory = s - 30;
  struct variant {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    const char* bad;  // the member of the bad entry; none: the whole archive is refused
  };
  const variant variants[] = {
      {"directory before the file start", s - 8, static_cast<std::uint32_t>(s + 5), nullptr},
      {"negative directory distance", s - 8, static_cast<std::uint32_t>(-20), nullptr},
      {"more entries than the file holds", s - 10, 0x0000FFFF | (29u << 16), nullptr},
      {"negative size", directory + 2, static_cast<std::uint32_t>(-1), "A"},
      {"name field before the file start", directory + 2, static_cast<std::uint32_t>(s), "A"},
      {"data running into the directory", directory + 6, 0, "A"},
      {"offset overflowing 32 bits", directory + 16, 0x80000000u, "B"},
  };
  for (const variant& v : variants) {
    bytes bad = good;
    fixtures::patch32(bad, v.at, v.value);
    const BYTE a = BIGOPEN(make("bad.big", bad));
    if (v.bad == nullptr) {
      EXPECT_EQ(a, 249) << v.what;
      continue;
    }
    ASSERT_EQ(a, 1) << v.what;
    EXPECT_EQ(OPENFILE(a, v.bad), 0) << v.what;
    const bool a_bad = std::string(v.bad) == "A";
    const WORD h = OPENFILE(a, a_bad ? "B" : "A");
    EXPECT_EQ(read_all(a, h), (a_bad ? bytes{7, 7} : menu)) << v.what;
    CLOSEFILE(a, h);
    BIGCLOSE(a);
  }
  EXPECT_EQ(BIGOPEN(make("tiny.big", {'.', 'B', 'G', 'F'})), 249) << "no room for the trailer";
  for (int a = 1; a <= MAXBIGFILES; ++a) EXPECT_FALSE(BIG[a].ACTIVE) << a;

  // a bad entry under the name of a sound one later in the directory: the search passes it
  bytes twice = fixtures::archive({{field("A"), menu}, {field("A"), {7, 7}}});
  fixtures::patch32(twice, twice.size() - 30 + 6, 0);
  const BYTE a = BIGOPEN(make("twice.big", twice));
  ASSERT_EQ(a, 1);
  EXPECT_EQ(read_all(a, OPENFILE(a, "A")), (bytes{7, 7}));
}
