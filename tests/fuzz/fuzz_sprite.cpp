// Fuzz target: sprite files, loose and as an archive member.
#include <cstring>
#include <vector>

#include "fuzz_file.hpp"
#include "orla_sprites.hpp"

namespace {

// The input as the only member "S" of an archive.
std::vector<std::uint8_t> as_member(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> out(50, ' ');
  out[0] = 'S';
  out.insert(out.end(), data, data + size);
  const auto put = [&out](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  put('S' + 49 * ' ', 2);
  put(static_cast<std::uint32_t>(size), 4);
  put(19, 4);  // the data ends just before the directory
  put(1, 2);
  put(19, 4);
  out.insert(out.end(), {'.', 'B', 'G', 'F'});
  return out;
}

void load(const std::string& name, const std::string& archive, std::size_t size) {
  orla::VIRTUALWINDOW vw;
  if (orla_sprites::detail::try_load_sprite(name, archive, vw)) {
    fuzz::check(orla_sprites::MEMORY == nullptr, "a refused load holds no block");
    return;
  }
  fuzz::check(vw.BREITE > 0 && vw.HOEHE > 0, "dimensions are positive");
  fuzz::check(static_cast<std::size_t>(vw.SIZE) + 4 <= size, "the pixels lie in the file");
  unsigned sum = 0;
  for (orla::LONGINT i = 0; i < vw.BREITE * vw.HOEHE; ++i) sum += vw.DATA[i];
  orla::KILL_VW(vw);
  (void)sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  load(fuzz::write_input("sprite", data, size), "", size);
  const auto archive = as_member(data, size);
  load("s", fuzz::write_input("sprite.big", archive.data(), archive.size()), size);
  fuzz::expect_no_blocks_held();
  return 0;
}
