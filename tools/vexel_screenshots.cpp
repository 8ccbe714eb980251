// vexel_screenshots: runs the vexel program on the headless backend with a scripted user and
// saves a picture of every chapter (2..10) and of the help screen as PNG files, once with the
// Hungarian pictures (into OUTDIR) and once with the English ones (into OUTDIR/en).
// Usage: vexel_screenshots OUTDIR [RUN_FOLDER]
//   RUN_FOLDER holds the program's four files and the en/ folder (default: the build's run
//   folder).
#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "headless.hpp"
#include "orla.hpp"
#include "vexel.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int frame_width = 800, frame_height = 600;
// Where the pointer rests while a picture is taken: over no button and no vertex.
constexpr int rest_x = 790, rest_y = 10;
// The clock advances one millisecond every this many readings, so that the start-up calibration
// and the timed waits take no real time, and a 60th of a second with every frame presented, as a
// display paces the frames; every run is the same.
constexpr std::uint64_t readings_per_ms = 200000;
constexpr std::uint64_t frames_per_second = 60;
// Frames the travelling point runs in the pedal-line chapter before its picture is taken: at the
// fastest speed it then stands on the left of the circumcircle, where the pedal line of the start
// triangle lies clear of the sides (near a vertex, or opposite one, the line runs along a side or
// an altitude).
constexpr int travel_frames = 214;

void move(int x, int y, bool left_down) {
  headless::mouse_move(x, y, left_down ? win32::MK_LBUTTON : 0);
}
void press(int x, int y) {
  move(x, y, false);
  headless::post_message(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON,
                         static_cast<win32::LPARAM>((y << 16) | x));
}
void release(int x, int y) {
  headless::post_message(win32::WM_LBUTTONUP, 0, static_cast<win32::LPARAM>((y << 16) | x));
}

bool write_png(const std::vector<std::uint16_t>& frame, const fs::path& file) {
  if (frame.size() != static_cast<std::size_t>(frame_width) * frame_height) return false;
  std::vector<png_byte> rgb(3 * frame.size());
  for (std::size_t i = 0; i < frame.size(); ++i) {
    orla::detail::to_rgb8(frame[i], &rgb[3 * i]);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = frame_width;
  image.height = frame_height;
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, file.c_str(), 0, rgb.data(), 0, nullptr)) {
    std::fprintf(stderr, "%s: %s\n", file.c_str(), image.message);
    return false;
  }
  return true;
}

struct spot {
  int x, y;
};

spot button_centre(int n) {
  const auto& b = vexel::GOMB[n];
  return {(b.x1 + b.x2) / 2, (b.y1 + b.y2) / 2};
}

// The user's script: one action per presented frame.
class script {
 public:
  explicit script(fs::path out) : out_(std::move(out)) {}

  void then(std::function<void()> action) { actions_.push_back(std::move(action)); }
  void wait(int frames) {
    for (int i = 0; i < frames; ++i) then([] {});
  }
  // A press at the spot on one frame, its release on the next, then the pointer goes to rest.
  // The spot is asked for when the press happens: the buttons are known only after start-up.
  void click(std::function<spot()> where) {
    then([where] { press(where().x, where().y); });
    then([where] { release(where().x, where().y); });
    then([] { move(rest_x, rest_y, false); });
  }
  void click(int x, int y) {
    click([x, y] { return spot{x, y}; });
  }
  void click_button(int n) {
    click([n] { return button_centre(n); });
  }
  void capture(const std::string& name) {
    then([this, name] {
      const fs::path file = out_ / (name + ".png");
      if (write_png(headless::last_frame(), file))
        std::printf("%s\n", file.c_str());
      else
        failed_ = true;
    });
  }

  // Runs the next action; after the last one the window is closed.
  void on_frame() {
    using vexel::detail::phase;
    const phase now = vexel::detail::program_phase;
    if (now != phase::intro && now != phase::running) return;
    if (!actions_.empty()) {
      const auto action = std::move(actions_.front());
      actions_.pop_front();
      action();
    } else if (orla::APPLICATIONRUNNING && !closed_) {
      closed_ = true;
      headless::close();
    }
  }
  // Every action ran and the program ended by itself.
  bool done() const { return actions_.empty() && !failed_ && !closed_; }

 private:
  fs::path out_;
  std::deque<std::function<void()>> actions_;
  bool failed_ = false;
  bool closed_ = false;
};

// Runs the program once with the scripted user, in the language chosen, writing into out.
bool take_pictures(const fs::path& out, vexel::detail::language language) {
  std::error_code ec;
  fs::create_directories(out, ec);
  script user(out);
  // a press where no button and no vertex is ends the intro
  user.click(400, 20);
  user.wait(2);
  user.capture("chapter-02");
  for (int chapter = 3; chapter <= 10; ++chapter) {
    user.click_button(chapter);
    if (chapter == 9) {
      // the fastest speed on the slider, then start: the point runs round the circumcircle
      user.click([] { return spot{button_centre(16).x, vexel::GOMB[16].y1}; });
      user.click_button(13);
      user.wait(travel_frames);
    }
    user.wait(2);
    user.capture(chapter < 10 ? "chapter-0" + std::to_string(chapter) : "chapter-10");
  }
  user.click_button(11);
  user.wait(2);
  user.capture("help");
  // a click anywhere leaves the help screen, and a press on button 1 ends the program
  user.click(400, 300);
  user.then([] { press(button_centre(1).x, button_centre(1).y); });

  vexel::detail::picture_language = language;
  headless::reset_window_system();
  headless::clear_message_boxes();
  std::uint64_t readings = 0;
  const std::uint64_t first_frame = headless::frames_presented();
  headless::set_clock([&readings, first_frame] {
    const std::uint64_t frames = headless::frames_presented() - first_frame;
    return static_cast<win32::DWORD>(readings++ / readings_per_ms +
                                     frames * 1000 / frames_per_second);
  });
  std::uint64_t last_frame = headless::frames_presented();
  headless::set_idle_hook([&] {
    const std::uint64_t now = headless::frames_presented();
    if (now == last_frame) return;
    last_frame = now;
    user.on_frame();
  });
  const int code = vexel::VEXEL_MAIN();
  headless::set_idle_hook(nullptr);
  headless::set_clock(nullptr);

  for (const auto& box : headless::message_boxes())
    std::fprintf(stderr, "message box: %s / %s\n", box.caption.c_str(), box.text.c_str());
  if (code != 0 || !user.done() || !headless::message_boxes().empty()) {
    std::fprintf(stderr, "the scripted run into %s did not complete (exit code %d)\n", out.c_str(),
                 code);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUTDIR [RUN_FOLDER]\n", argv[0]);
    return 2;
  }
  std::error_code ec;
  fs::create_directories(argv[1], ec);
  const fs::path out = fs::absolute(argv[1], ec);
  const std::string folder = argc == 3 ? argv[2] : VEXEL_RUN_DIR;
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "%s: cannot enter the run folder %s\n", argv[0], folder.c_str());
    return 2;
  }
  // the English pictures are read from en/; without them the program would quietly show the
  // Hungarian ones, which must not end up in the English pictures
  for (const char* name : {"en/menu.vex", "en/sugo.vex", "en/vex.vex"})
    if (!fs::is_regular_file(name, ec)) {
      std::fprintf(stderr, "%s: %s/%s is missing\n", argv[0], folder.c_str(), name);
      return 2;
    }
  using vexel::detail::language;
  const bool made = take_pictures(out, language::hu) && take_pictures(out / "en", language::en);
  return made ? 0 : 1;
}
