// install tests: linked into the example on the headless backend: writes the first presented
// frame to the sprite file named by ORLA_CAPTURE, then ends the program as a user would: a key
// press, or the close button when ORLA_CAPTURE_CLOSE is "button".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <orla/headless.hpp>
#include <orla/win32.hpp>
#include <string>

namespace {

void write_frame(const char* path) {
  std::FILE* out = std::fopen(path, "wb");
  if (!out) {
    std::fprintf(stderr, "frame_capture: cannot write %s\n", path);
    std::exit(3);
  }
  // the sprite file layout: the pixels, then width and height as little-endian 16-bit values
  for (const std::uint16_t p : headless::last_frame()) {
    std::fputc(p & 0xFF, out);
    std::fputc(p >> 8, out);
  }
  for (const int v : {headless::presenter_width(), headless::presenter_height()}) {
    std::fputc(v & 0xFF, out);
    std::fputc(v >> 8, out);
  }
  std::fclose(out);
}

void on_idle() {
  static bool done = false;
  if (done || headless::frames_presented() == 0) return;
  done = true;
  const char* path = std::getenv("ORLA_CAPTURE");
  if (path) write_frame(path);
  const char* how = std::getenv("ORLA_CAPTURE_CLOSE");
  if (how && std::string(how) == "button")
    headless::close();
  else
    headless::key('Q', true);
}

// installed before main runs; the hook lives in the backend's own state, made on first use
const bool installed = (headless::set_idle_hook(on_idle), true);

}  // namespace
