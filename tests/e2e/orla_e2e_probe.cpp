// e2e tests: a small program on the real window layer that presents known frames and reports
// on standard output what input it received. Keys 1 and 2 choose the frame, Y asks whether the
// probe's own file may be overwritten (a yes/no box), Escape ends. With the argument "trace"
// it also reports every mouse move.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "e2e_pattern.hpp"
#include "orla.hpp"
#include "orla_win32.hpp"

using namespace orla;
using namespace orla_win32;

namespace {

void draw(VIRTUALWINDOW& frame, int pattern) {
  for (int y = 0; y < e2e::frame_height; ++y)
    for (int x = 0; x < e2e::frame_width; ++x)
      frame.DATA[y * e2e::frame_width + x] = e2e::pattern_pixel(pattern, x, y);
}

void say(const char* format, int a, int b = 0) {
  std::printf(format, a, b);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  // "trace" also reports every mouse move
  const bool trace = argc > 1 && std::string(argv[1]) == "trace";
  WINDOW_REGISTERCLASS(1);
  WINDOW_MAIN_HANDLE = WINDOW_CREATECLASS("orla e2e probe", 1);
  CHECKWMCREATE();
  INIT_GRAPH(e2e::frame_width, e2e::frame_height);

  VIRTUALWINDOW frame;
  INIT_VW(frame, e2e::frame_width, e2e::frame_height, false);
  int pattern = 1;
  draw(frame, pattern);
  FLIP_DD(frame.DATA);
  say("shown %d\n", pattern);

  bool left = false, right = false;
  bool key_was_down[3] = {};
  bool ask_was_down = false;
  while (APPLICATIONRUNNING) {
    GETALLMESSAGES();
    HANDLEMINIMIZED();
    if (!APPLICATIONRUNNING || KTASTE[win32::VK_ESCAPE]) break;
    if (trace && M_MOVED) say("move %d %d\n", M_X, M_Y);
    if (M_L && !left) say("press %d %d\n", M_X, M_Y);
    if (M_R && !right) say("rpress %d %d\n", M_X, M_Y);
    left = M_L;
    right = M_R;
    if (KTASTE['Y'] && !ask_was_down) say("overwrite %d\n", FILEOVERWRITE(argv[0]) ? 1 : 0);
    ask_was_down = KTASTE['Y'];
    int wanted = pattern;
    for (int k = 1; k <= 2; ++k) {
      const bool down = KTASTE['0' + k];
      if (down && !key_was_down[k]) wanted = k;
      key_was_down[k] = down;
    }
    if (wanted != pattern) {
      pattern = wanted;
      draw(frame, pattern);
      FLIP_DD(frame.DATA);
      say("shown %d\n", pattern);
    } else {
      FLIP_DD(frame.DATA);
    }
    // a test program need not run at full speed
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  KILL_VW(frame);
  KILL_GRAPH();
  CHECKMEMORY();
  TERMINATE();
  say("bye %d\n", TOTALALLOCMEMORY);
  return 0;
}
