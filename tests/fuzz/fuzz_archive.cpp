// Fuzz target: the archive reader. Whatever it finds must be the input's own bytes.
#include <cstring>
#include <vector>

#include "bigfile2.hpp"
#include "fuzz_file.hpp"
#include "orla_files.hpp"

using namespace bigfile2;

namespace {

void read_member(BYTE a, const std::string& name, const std::uint8_t* data, std::size_t size) {
  const LONGINT offset = BIGSEARCH(a, name);
  const WORD h = OPENFILE(a, name);
  fuzz::check((offset == 0) == (h == 0), "search and open agree");
  if (h == 0) return;
  const LONGINT n = SIZEFILE(a, h);
  fuzz::check(offset >= 50 && n >= 0 && std::size_t(offset) + std::size_t(n) <= size,
              "the member lies in the file");
  std::vector<std::uint8_t> got(static_cast<std::size_t>(n) + 16);
  fuzz::check(READBIG(a, h, got.data(), n / 2) == 0, "first read");
  fuzz::check(READBIG(a, h, got.data() + n / 2, n + 16) == 0, "second read");
  fuzz::check(VFILEPOS[h] == n, "the reads stop at the member's end");
  fuzz::check(std::memcmp(got.data(), data + offset, static_cast<std::size_t>(n)) == 0,
              "the member's bytes are the file's");
  fuzz::check(SEEKBIG(a, h, n + 1) == BIG_SEEKRANGE && SEEKBIG(a, h, n / 3) == 0, "seek range");
  fuzz::check(CLOSEFILE(a, h) == 0, "close");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::write_input("big", data, size);
  const BYTE a = BIGOPEN(path);
  if (a <= 244) {
    fuzz::check(BIGSIZE(a) == static_cast<LONGINT>(size), "size");
    for (const auto& m : detail::read_directory(a)) {
      std::string name = m.name_field;
      while (!name.empty() && name.back() == ' ') name.pop_back();
      read_member(a, name, data, size);
    }
    for (const char* name : {"MENU.VEX", "Fonts.fnt", "", "A"}) read_member(a, name, data, size);
    fuzz::check(BIGCLOSE(a) == 0, "archive close");
  }
  for (int s = 1; s <= MAXBIGFILES; ++s) fuzz::check(!BIG[s].ACTIVE, "no slot stays in use");
  // the whole-file loader over the same archive
  void* p = nullptr;
  LONGINT n = 0;
  if (!orla_files::detail::try_bigfile2mem("MENU.VEX", path, p, n)) orla::FREEPTRSPEICHER(p);
  fuzz::expect_no_blocks_held();
  return 0;
}
