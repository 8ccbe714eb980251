// vexel: the program's entry point: the pictures' language from the command line or the desktop
// (--lang hu|en; LC_ALL, LC_MESSAGES, LANG), the start figure (--figure LINE), then the
// demonstration.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vexel.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto choice = vexel::detail::choose_language(
      arguments, [](const char* variable) { return std::getenv(variable); });
  if (!choice.error.empty()) {
    std::fprintf(stderr, "vexel: %s\n", choice.error.c_str());
    std::exit(2);
  }
  vexel::detail::picture_language = choice.chosen;
  // a figure line that cannot be used is said here and in a box after the intro
  if (const std::string refusal = vexel::detail::choose_start_figure(arguments); !refusal.empty())
    std::fprintf(stderr, "vexel: %s\n", refusal.c_str());
  // through exit(), not a return: where the platform resumes main after the loop has handed the
  // thread to it (the browser), a value returned from main would reach nobody
  std::exit(vexel::VEXEL_MAIN());
}
