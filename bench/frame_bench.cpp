// frame_bench: the demonstration's whole per-frame computation and drawing on the headless
// backend, per chapter, as the median time per frame and its ratio to the memory traffic every
// frame needs (the backdrop copy, the layer clear and the keyed layer copy), with a nearly
// degenerate triangle and a vertex dragged across the drawing surface; with --shown, the frame
// also drawn at the size a large screen shows it, against the floor of a frame of that size.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "headless.hpp"
#include "orla.hpp"
#include "orla_2d.hpp"
#include "orla_sprites.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"

using namespace vexel;

namespace {

using clock_type = std::chrono::steady_clock;

// the bytes of the frame and of its figure layer (at the shown size with --shown)
std::size_t frame_bytes = WIDTH * HEIGHT * 2, layer_bytes = WIDTH * scene_rows * 2;
// frames of one triangle before the other takes its turn
constexpr int block_frames = 100;

// The bars of this benchmark.
constexpr double bar_floor = 4.0, bar_degenerate = 1.5, bar_drag = 3.0;

// What to run; set from the command line.
struct options {
  // timed frames per chapter and triangle, and frames run before timing
  int frames = 1500;
  int warm_up = 100;
  // drag positions; each is timed drag_repeats times and the median counts
  int drag_positions = 1000;
  int drag_repeats = 5;
  // MP; 0: calibrate for three seconds as the program does
  std::int64_t speed_count = 0;
  // 0: every chapter
  int only_chapter = 0;
  bool normal = true, degenerate = true, drag = true;
  // print the slowest drag positions of each chapter
  bool show_slowest = false;
  // the normal frames with vertex C at (c_x, c_y)
  bool move_c = false;
  double c_x = 0, c_y = 0;
  // the size the frames are shown at (0: 800 x 600, the original picture)
  int shown_width = 0, shown_height = 0;
};

// Keeps the compiler from dropping a store it cannot see read.
inline void keep(const void* p) {
  asm volatile("" : : "g"(p) : "memory");
}

double seconds_since(clock_type::time_point start) {
  return std::chrono::duration<double>(clock_type::now() - start).count();
}

double median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

// ---- set-up as the program's start-up does it, without a window --------------------------------

void fill_pattern(orla::VIRTUALWINDOW& vw) {
  for (LONGINT y = 0; y < vw.HOEHE; ++y)
    for (LONGINT x = 0; x < vw.BREITE; ++x)
      vw.DATA[y * vw.BREITE + x] = orla::PACK((x / 8) & 31, (y / 4) & 63, ((x + y) / 16) & 31);
}

void load_backdrop(const std::string& folder) {
  orla::INIT_VW(BACKGROUND, WIDTH, HEIGHT, true);
  const std::string path = folder + "/menu.vex";
  if (!std::filesystem::exists(path)) {
    std::printf("no %s: a pattern stands in for the backdrop\n", path.c_str());
    fill_pattern(BACKGROUND);
    return;
  }
  orla::VIRTUALWINDOW picture;
  orla_sprites::LOAD_SPRITE(path, "", picture);
  orla_sprites::SCALESPRITE(picture, BACKGROUND);
  orla::KILL_VW(picture);
}

void set_up(const options& o) {
  if (o.speed_count > 0)
    detail::set_speed_count(o.speed_count);
  else
    MP_KISZAMITAS();
  orla::CALCULATE_SCREENSETTINGS(WIDTH, HEIGHT);
  detail::init_program_state();
  orla::INIT_VW(RESULT, WIDTH, HEIGHT, true);
  load_backdrop(VEXEL_RUN_DIR);
  orla::INIT_VW(SPRITE01, WIDTH, scene_rows, true);
  orla::INIT_VW(URES, 2, 2, true);
}

void tear_down() {
  detail::release_large_frame();
  for (auto* window : {&BACKGROUND, &SPRITE01, &RESULT, &URES, &KEK, &SARGA, &SZURKE})
    orla::KILL_VW(*window);
  orla::CHECKMEMORY();
}

// ---- one frame and its scenes -------------------------------------------------------------------

// A normal frame of the loop, without the presentation and the message dispatch.
void frame() {
  EGERALLAPOTOK();
  SZAMOLASI_QELJARASOK();
  ELEMEK_KIRAJZOLASA();
  orla_sprites::ADJUSTSPRITEBRIGHTNESS(RESULT, FENYFORRAS,
                                       static_cast<orla::SHORTINT>(2 * FENYFORRAS), FENYFORRAS);
  keep(RESULT.DATA);
  if (detail::large_frame_scale() > 0) {
    detail::finish_large_frame(FENYFORRAS);
    keep(detail::large_frame().DATA);
  }
}

double timed_frame() {
  const auto start = clock_type::now();
  frame();
  return seconds_since(start) * 1e6;
}

// The pointer rests over empty space of the backdrop, no button down.
void pointer_at_rest() {
  orla_win32::M_X = 400;
  orla_win32::M_Y = 20;
  orla_win32::M_L = false;
  MOZGAT = false;
  MELYIKMOZGAT = 0;
}

// The chapter, with the travelling point running at the slider's speed.
void enter_chapter(int chapter) {
  SARGAMENU = static_cast<BYTE>(chapter);
  ANIMACIO = true;
  PLAY = true;
  PILSEB = SEBESSEG;
}

// The start triangle, or C where the options put it.
void place_normal_triangle(const options& o) {
  detail::place_vertices_at_start();
  if (o.move_c) {
    PONT[3].X = o.c_x;
    PONT[3].Y = o.c_y;
  }
}

// C a thousandth of a pixel off line AB, on the perpendicular through a point between A and B.
void place_degenerate_triangle() {
  detail::place_vertices_at_start();
  const REAL ax = PONT[1].X, ay = PONT[1].Y, bx = PONT[2].X, by = PONT[2].Y;
  const REAL t = 0.48;
  const REAL length = std::hypot(bx - ax, by - ay);
  const REAL nx = -(by - ay) / length, ny = (bx - ax) / length;
  PONT[3].X = ax + t * (bx - ax) + 0.001 * nx;
  PONT[3].Y = ay + t * (by - ay) + 0.001 * ny;
}

std::vector<double> run_frames(int warm_up, int frames) {
  for (int i = 0; i < warm_up; ++i) frame();
  std::vector<double> times;
  times.reserve(static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i) times.push_back(timed_frame());
  return times;
}

// A back-and-forth sweep over the whole drawing surface, row band by row band.
std::vector<std::pair<int, int>> drag_path(int positions) {
  std::vector<std::pair<int, int>> path;
  const int bands = 10;
  const int per_band = std::max(1, positions / bands);
  for (int k = 0; static_cast<int>(path.size()) < positions; ++k) {
    const int band = k / per_band, step = k % per_band;
    const int y = 2 + (band % bands) * (scene_rows - 5) / (bands - 1);
    const int along = step * (WIDTH - 1) / std::max(1, per_band - 1);
    path.emplace_back(band % 2 == 0 ? along : WIDTH - 1 - along, y);
  }
  return path;
}

// Drags vertex C (point 3) through the path; the time of every position, the median of its
// repetitions (a frame shows the vertex where the previous frame's drag put it).
std::vector<double> run_drag(const options& o) {
  const auto path = drag_path(o.drag_positions);
  std::vector<std::vector<double>> samples(path.size());
  for (int repeat = 0; repeat < o.drag_repeats; ++repeat) {
    detail::place_vertices_at_start();
    orla_win32::M_X = static_cast<WORD>(std::lrint(PONT[3].X));
    orla_win32::M_Y = static_cast<WORD>(std::lrint(PONT[3].Y));
    orla_win32::M_L = true;
    for (long i = 1; i <= 5; ++i) M_LTOMB[i] = true;  // a press held since before
    MOZGAT = true;
    MELYIKMOZGAT = 3;
    frame();
    for (std::size_t i = 0; i < path.size(); ++i) {
      orla_win32::M_X = static_cast<WORD>(path[i].first);
      orla_win32::M_Y = static_cast<WORD>(path[i].second);
      samples[i].push_back(timed_frame());
    }
  }
  std::vector<double> per_position;
  for (auto& s : samples) per_position.push_back(median(s));
  if (o.show_slowest) {
    std::vector<std::size_t> order(path.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return per_position[a] > per_position[b]; });
    std::printf("chapter %d, slowest drag positions:", SARGAMENU);
    for (std::size_t k = 0; k < std::min<std::size_t>(5, order.size()); ++k)
      std::printf(" (%d,%d) %.0f us;", path[order[k]].first, path[order[k]].second,
                  per_position[order[k]]);
    std::printf("\n");
  }
  pointer_at_rest();
  detail::place_vertices_at_start();
  return per_position;
}

// ---- the floor ----------------------------------------------------------------------------------

struct floor_buffers {
  std::vector<unsigned char> backdrop = std::vector<unsigned char>(frame_bytes, 1);
  std::vector<unsigned char> frame = std::vector<unsigned char>(frame_bytes, 2);
  std::vector<unsigned char> layer = std::vector<unsigned char>(layer_bytes, 3);
};

std::vector<double> floor_samples(floor_buffers& b, int count) {
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    const auto start = clock_type::now();
    std::memcpy(b.frame.data(), b.backdrop.data(), frame_bytes);
    keep(b.frame.data());
    std::memset(b.layer.data(), 0, layer_bytes);
    keep(b.layer.data());
    std::memcpy(b.frame.data(), b.layer.data(), layer_bytes);
    keep(b.frame.data());
    times.push_back(seconds_since(start) * 1e6);
  }
  return times;
}

// ---- options ------------------------------------------------------------------------------------

bool parse(int argc, char** argv, options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](long long& out) {
      if (i + 1 >= argc) return false;
      out = std::atoll(argv[++i]);
      return true;
    };
    long long v = 0;
    if (a == "--frames" && value(v)) {
      o.frames = static_cast<int>(std::max(1LL, v));
    } else if (a == "--drag-repeats" && value(v)) {
      o.drag_repeats = static_cast<int>(std::max(1LL, v));
    } else if (a == "--mp" && value(v)) {
      o.speed_count = v;
    } else if (a == "--vertex-c" && i + 2 < argc) {
      o.move_c = true;
      o.c_x = std::atof(argv[++i]);
      o.c_y = std::atof(argv[++i]);
    } else if (a == "--shown" && i + 2 < argc) {
      o.shown_width = std::atoi(argv[++i]);
      o.shown_height = std::atoi(argv[++i]);
    } else if (a == "--slowest") {
      o.show_slowest = true;
    } else if (a == "--chapter" && value(v)) {
      o.only_chapter = static_cast<int>(v);
    } else if (a == "--only" && i + 1 < argc) {
      const std::string which = argv[++i];
      o.normal = which == "normal";
      o.degenerate = which == "degenerate";
      o.drag = which == "drag";
    } else {
      std::fprintf(stderr,
                   "usage: frame_bench [--frames N] [--drag-repeats N] [--mp COUNT] "
                   "[--chapter 2..10] [--only normal|degenerate|drag] [--slowest] [--vertex-c X Y] "
                   "[--shown WIDTH HEIGHT]\n");
      return false;
    }
  }
  return true;
}

struct chapter_result {
  int chapter = 0;
  double normal = 0, degenerate = 0, drag_median = 0, drag_max = 0;
};

}  // namespace

int main(int argc, char** argv) {
  options o;
  if (!parse(argc, argv, o)) return 2;
  set_up(o);
  if (o.shown_width > WIDTH && o.shown_height > HEIGHT) {
    headless::set_shown_size(o.shown_width, o.shown_height);
    frame_bytes = static_cast<std::size_t>(o.shown_width) * o.shown_height * 2;
    layer_bytes = static_cast<std::size_t>(o.shown_width) *
                  static_cast<std::size_t>(std::lrint(scene_rows * o.shown_width / double(WIDTH))) *
                  2;
    std::printf("frames drawn at %d x %d as shown; the floor is that of a frame of that size\n",
                o.shown_width, o.shown_height);
  }
  std::printf("MP %lld (speed change per frame %.4f)\n", static_cast<long long>(MP), GYORSITAS);

  floor_buffers buffers;
  std::vector<double> floor_times = floor_samples(buffers, 2000);

  std::vector<chapter_result> results;
  for (int chapter = first_chapter; chapter <= last_chapter; ++chapter) {
    if (o.only_chapter != 0 && chapter != o.only_chapter) continue;
    chapter_result r;
    r.chapter = chapter;
    pointer_at_rest();
    enter_chapter(chapter);
    // the two triangles take turns in blocks, so that both see the same load of the machine
    std::vector<double> normal_times, degenerate_times;
    const int blocks = std::max(1, o.frames / block_frames);
    for (int block = 0; block < blocks; ++block) {
      const int frames = block + 1 < blocks ? block_frames : o.frames - block * block_frames;
      const int warm_up = block == 0 ? o.warm_up : 2;
      if (o.normal) {
        place_normal_triangle(o);
        const auto t = run_frames(warm_up, frames);
        normal_times.insert(normal_times.end(), t.begin(), t.end());
      }
      if (o.degenerate) {
        place_degenerate_triangle();
        const auto t = run_frames(warm_up, frames);
        degenerate_times.insert(degenerate_times.end(), t.begin(), t.end());
      }
    }
    r.normal = median(normal_times);
    r.degenerate = median(degenerate_times);
    detail::place_vertices_at_start();
    if (o.drag) {
      const auto times = run_drag(o);
      r.drag_median = median(times);
      r.drag_max = *std::max_element(times.begin(), times.end());
    }
    results.push_back(r);
    // the floor is sampled between the chapters too, so it sees the same machine load
    const auto more = floor_samples(buffers, 300);
    floor_times.insert(floor_times.end(), more.begin(), more.end());
  }
  const double floor_us = median(floor_times);
  tear_down();

  std::printf("\nfloor: memcpy %zu + memset %zu + memcpy %zu bytes = %.1f us (median)\n",
              frame_bytes, layer_bytes, layer_bytes, floor_us);
  std::printf("medians of wall time per frame; drag: %d positions, each the median of %d runs\n\n",
              o.drag_positions, o.drag_repeats);
  std::printf("%7s | %8s %7s | %8s %7s | %8s %8s %8s %8s\n", "chapter", "frame us", "/floor",
              "degen us", "/frame", "drag med", "drag max", "max/med", "max/frm");
  std::printf(
      "--------+------------------+------------------+-------------------------------------"
      "\n");
  // the drag bar holds against the median of the drag and against the chapter's median frame
  bool met = true;
  double worst_floor = 0, worst_degenerate = 0, worst_drag = 0;
  for (const auto& r : results) {
    const double f = r.normal / floor_us;
    const double d = r.normal > 0 ? r.degenerate / r.normal : 0;
    const double g = r.drag_median > 0 ? r.drag_max / r.drag_median : 0;
    const double h = r.normal > 0 ? r.drag_max / r.normal : 0;
    worst_floor = std::max(worst_floor, f);
    worst_degenerate = std::max(worst_degenerate, d);
    worst_drag = std::max({worst_drag, g, h});
    const bool ok = f <= bar_floor && d <= bar_degenerate && g <= bar_drag && h <= bar_drag;
    met = met && ok;
    std::printf("%5d%s | %8.1f %6.2fx | %8.1f %6.2fx | %8.1f %8.1f %7.2fx %7.2fx %s\n", r.chapter,
                r.chapter == pedal_chapter ? " *" : "  ", r.normal, f, r.degenerate, d,
                r.drag_median, r.drag_max, g, h, ok ? "" : "MISSED");
  }
  std::printf(
      "\nbars: frame <= %.1fx floor (worst %.2fx); degenerate <= %.1fx frame (worst %.2fx); "
      "drag max <= %.1fx the drag's median and the chapter's frame (worst %.2fx)\n",
      bar_floor, worst_floor, bar_degenerate, worst_degenerate, bar_drag, worst_drag);
  std::printf("(* the pedal-line chapter)\n%s\n", met ? "all bars met" : "some bars missed");
  return met ? 0 : 1;
}
