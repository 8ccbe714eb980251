// vexel: the program's entry point: the pictures' language from the command line or the desktop
// (--lang hu|en; LC_ALL, LC_MESSAGES, LANG; on Windows the display language), the start figure
// (--figure LINE), then the demonstration.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vexel.hpp"

#ifdef _WIN32
// after vexel.hpp: <windows.h> defines some of the window layer's names as macros
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // the wide command line (argv is in the ANSI code page), and the language Windows shows its
  // own texts in, where Linux has a locale
  (void)argc;
  (void)argv;
  const std::vector<std::string> arguments = platform::program_arguments();
  const std::string locale =
      PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH ? "en" : "hu";
  const auto desktop = [&locale](const char* variable) -> const char* {
    return std::string(variable) == "LANG" ? locale.c_str() : nullptr;
  };
#else
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto desktop = [](const char* variable) { return std::getenv(variable); };
#endif
  const auto choice = vexel::detail::choose_language(arguments, desktop);
  if (!choice.error.empty()) {
    std::fprintf(stderr, "vexel: %s\n", choice.error.c_str());
    std::exit(2);
  }
  vexel::detail::picture_language = choice.chosen;
  // the original 800 x 600 picture, enlarged, even where the screen shows the frame larger
  if (std::find(arguments.begin(), arguments.end(), "--pixels") != arguments.end())
    vexel::detail::choose_original_pixels(true);
  // a figure line that cannot be used is said here and in a box after the intro
  if (const std::string refusal = vexel::detail::choose_start_figure(arguments); !refusal.empty())
    std::fprintf(stderr, "vexel: %s\n", refusal.c_str());
  // through exit(), not a return: where the platform resumes main after the loop has handed the
  // thread to it (the browser), a value returned from main would reach nobody
  std::exit(vexel::VEXEL_MAIN());
}
