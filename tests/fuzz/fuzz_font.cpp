// Fuzz target: font files, then text drawn with the loaded font at places and sizes taken from
// the input, so that the clipping is fuzzed too.
#include <string>

#include "fuzz_file.hpp"
#include "orla_text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (orla_text::detail::try_load_fonts(fuzz::write_input("fnt", data, size))) {
    fuzz::check(size > orla_text::detail::font_bytes, "only too long files are refused");
    fuzz::expect_no_blocks_held();
    return 0;
  }
  orla::VIRTUALWINDOW vw;
  orla::INIT_VW(vw, 37, 23, true);
  // the first bytes choose the size, the place and the text
  const auto byte = [&](std::size_t i) { return i < size ? data[i] : std::uint8_t{0}; };
  orla_text::SETTEXTSIZE(static_cast<orla::WORD>(byte(0) % 12));
  const orla::LONGINT x = static_cast<orla::SHORTINT>(byte(1)),
                      y = static_cast<orla::SHORTINT>(byte(2));
  const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 12));
  orla_text::OUTTEXTXY(vw, x, y, 31, 63, 31, text);
  orla_text::TEXTATXY2(vw, x * 3, y, 12, 40, 5, text);
  orla_text::MOVETO2(static_cast<orla::WORD>(x), static_cast<orla::WORD>(y));
  orla_text::TEXTAT2(vw, 1, 2, 3, text);
  orla_text::TEXTAT(vw, 3, 2, 1, text);
  orla::KILL_VW(vw);
  fuzz::expect_no_blocks_held();
  return 0;
}
