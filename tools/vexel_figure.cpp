// vexel_figure: the figure of a figure line as a PNG of the figure area and an SVG drawing,
// made without a window by the program's own drawing (for worksheets made in a script).
// Usage: vexel_figure --figure LINE [--lang hu|en] [--run-folder DIR] OUTPUT
//   writes OUTPUT.png and OUTPUT.svg; RUN_FOLDER holds the program's files (default: the build's
//   run folder), of which the backdrop "menu.vex" is read.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "orla.hpp"
#include "orla_sprites.hpp"
#include "vexel.hpp"

namespace {

namespace fs = std::filesystem;

bool write(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "vexel_figure: %s cannot be written\n", file.c_str());
    return false;
  }
  std::printf("%s\n", file.c_str());
  return true;
}

int usage(const char* program) {
  std::fprintf(stderr, "usage: %s --figure LINE [--lang hu|en] [--run-folder DIR] OUTPUT\n",
               program);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vexel;
  std::string line, folder = VEXEL_RUN_DIR, output;
  detail::language language = detail::language::hu;
  bool given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if ((argument == "--figure" || argument == "--lang" || argument == "--run-folder") &&
        i + 1 == argc)
      return usage(argv[0]);
    if (argument == "--figure") {
      line = argv[++i];
      given = true;
    } else if (argument == "--lang") {
      const std::string name = argv[++i];
      if (name != "hu" && name != "en") return usage(argv[0]);
      language = name == "en" ? detail::language::en : detail::language::hu;
    } else if (argument == "--run-folder") {
      folder = argv[++i];
    } else if (output.empty() && argument.rfind("--", 0) != 0) {
      output = argument;
    } else {
      return usage(argv[0]);
    }
  }
  if (!given || output.empty()) return usage(argv[0]);
  const detail::figure_reading reading = detail::read_figure_line(line);
  if (!reading.ok) {
    std::fprintf(stderr, "vexel_figure: the figure line cannot be used: %s\n",
                 reading.error.c_str());
    return 1;
  }
  std::error_code ec;
  const fs::path base = fs::absolute(output, ec);
  fs::create_directories(base.parent_path(), ec);
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "vexel_figure: cannot enter the run folder %s\n", folder.c_str());
    return 2;
  }

  // the frame's composition, as the frame loop makes it, without a window: the backdrop, the
  // figure's layer over it (black is transparent), the point standing still
  detail::picture_language = language;
  detail::init_program_state();
  detail::apply_figure(reading.figure);
  orla::INIT_VW(RESULT, WIDTH, HEIGHT, true);
  orla::INIT_VW(SPRITE01, WIDTH, scene_rows, true);
  orla::INIT_VW(URES, 2, 2, true);
  detail::load_backdrop();
  detail::compute_frame(0);
  // the frame's copy of the backdrop is sized by the screen, which a program without a window
  // has not set: the backdrop is copied by its own size
  std::copy_n(BACKGROUND.DATA, static_cast<std::size_t>(WIDTH) * HEIGHT, RESULT.DATA);
  orla_sprites::SCALESPRITE(URES, SPRITE01);
  detail::draw_figure();
  orla_sprites::PUTHCSPRITE(RESULT, SPRITE01, 0, 0, 0);

  const std::string png = detail::png_file(RESULT.DATA, WIDTH, scene_rows);
  const std::string svg = detail::figure_svg(
      std::string(APPLICATIONID) + " – " + detail::chapter_title(SARGAMENU),
      detail::figure_line(detail::current_figure()), detail::svg_colour(BACKGROUND.DATA[0]));
  for (auto* window : {&BACKGROUND, &SPRITE01, &RESULT, &URES, &KEK, &SARGA, &SZURKE})
    orla::KILL_VW(*window);
  detail::reset_render_caches();
  const bool written =
      write(fs::path(base.string() + ".png"), png) && write(fs::path(base.string() + ".svg"), svg);
  return written ? 0 : 1;
}
