// Fuzz target: the figure line (the clipboard's, the command line's, the page's address).
#include <cmath>
#include <string>
#include <string_view>

#include "fuzz_file.hpp"
#include "vexel.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexel::detail;
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const figure_reading reading = read_figure_line(line);
  if (!reading.ok) {
    fuzz::check(!reading.error.empty(), "a refusal says why");
    fuzz::check(reading.error.size() < 300, "a refusal names a long value by its start");
    return 0;
  }
  const figure_state& f = reading.figure;
  for (int v = 0; v < 3; ++v)
    fuzz::check(std::isfinite(f.x[v]) && std::isfinite(f.y[v]) && f.x[v] >= 0 &&
                    f.x[v] <= figure_right && f.y[v] >= 0 && f.y[v] <= figure_bottom,
                "a vertex in the figure area");
  fuzz::check(f.chapter >= 2 && f.chapter <= 10, "a chapter 2 to 10");
  fuzz::check(std::isfinite(f.angle) && f.speed <= slider_top_speed, "the point's state in range");
  // what is read is written back as a line that reads the same and writes the same again
  const std::string written = figure_line(f);
  const figure_reading again = read_figure_line(written);
  fuzz::check(again.ok, "a written line reads");
  fuzz::check(figure_line(again.figure) == written, "write, read, write gives the same line");
  return 0;
}
