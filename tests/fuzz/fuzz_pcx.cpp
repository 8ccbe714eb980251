// Fuzz target: PCX import.
#include "fuzz_file.hpp"
#include "orla_sprites.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  orla::VIRTUALWINDOW vw;
  if (!orla_sprites::detail::try_load_pcx(fuzz::write_input("pcx", data, size), "", vw)) {
    fuzz::check(vw.BREITE > 0 && vw.BREITE % 2 == 0 && vw.HOEHE > 0, "an even width");
    fuzz::check(std::size_t(vw.BREITE) * std::size_t(vw.HOEHE) <= 32 * size, "data fills it");
    unsigned sum = 0;
    for (orla::LONGINT i = 0; i < vw.BREITE * vw.HOEHE; ++i) sum += vw.DATA[i];
    (void)sum;
    orla::KILL_VW(vw);
  }
  fuzz::check(orla_sprites::MEMORY == nullptr, "no file block is held");
  fuzz::expect_no_blocks_held();
  return 0;
}
