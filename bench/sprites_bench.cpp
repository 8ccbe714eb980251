// sprites_bench: the sprite blits and transforms on whole-frame windows, each reported as the
// median time and its ratio to memcpy/memset of the same bytes measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "orla.hpp"
#include "orla_sprites.hpp"

using namespace orla;
using namespace orla_sprites;

namespace {

constexpr LONGINT frame_w = 800, frame_h = 600, layer_h = 458;

// A window that gives its buffer back when the benchmark ends.
struct window {
  VIRTUALWINDOW vw;
  window(LONGINT w, LONGINT h) { INIT_VW(vw, w, h, true); }
  ~window() { KILL_VW(vw); }
  window(const window&) = delete;
  window& operator=(const window&) = delete;
};

void fill_random(window& w, std::uint32_t seed) {
  std::mt19937 rng(seed);
  for (LONGINT i = 0; i < w.vw.BREITE * w.vw.HOEHE; ++i) w.vw.DATA[i] = static_cast<WORD>(rng());
}

// A scene layer: black with about the given share of coloured pixels, either scattered one by
// one or drawn as short horizontal strokes as lines and circles leave them.
void fill_layer(window& w, double share, bool strokes, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const LONGINT n = w.vw.BREITE * w.vw.HOEHE;
  constexpr LONGINT stroke = 12;
  for (LONGINT i = 0; i < n;) {
    if (!strokes) {
      w.vw.DATA[i++] = u(rng) < share ? static_cast<WORD>(rng() | 1) : 0;
    } else if (u(rng) < share / stroke) {
      const WORD colour = static_cast<WORD>(rng() | 1);
      for (LONGINT k = 0; k < stroke && i < n; ++k) w.vw.DATA[i++] = colour;
    } else {
      w.vw.DATA[i++] = 0;
    }
  }
}

// ---- baselines ----------------------------------------------------------------------------------

void BM_memcpy(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  std::vector<char> a(bytes, 1), b(bytes, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}

void BM_memset(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  std::vector<char> b(bytes, 2);
  for (auto _ : state) {
    std::memset(b.data(), 0, bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}

// ---- blits --------------------------------------------------------------------------------------

template <class Op>
void frame_blit(benchmark::State& state, Op op) {
  window target(frame_w, frame_h), sprite(frame_w, frame_h);
  fill_random(target, 1);
  fill_random(sprite, 2);
  for (auto _ : state) {
    op(target.vw, sprite.vw);
    benchmark::DoNotOptimize(target.vw.DATA);
    benchmark::ClobberMemory();
  }
}

void BM_PUTSPRITE(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { PUTSPRITE(t, sp, 0, 0); });
}
void BM_GETSPRITE(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { GETSPRITE(t, sp, 0, 0); });
}
void BM_COPYSPRITE(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { COPYSPRITE(sp, t); });
}
void BM_PUTTRANSSPRITE(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { PUTTRANSSPRITE(t, sp, 0, 0, 4, 8, 4); });
}
void BM_PUTALPHASPRITE(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { PUTALPHASPRITE(t, sp, 0, 0); });
}
void BM_PUTBRIGHTSPRITE(benchmark::State& s) {
  frame_blit(s,
             [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { PUTBRIGHTSPRITE(t, sp, 0, 0, 3, -6, 3); });
}
void BM_PUTMIXEDSPRITE(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { PUTMIXEDSPRITE(t, sp, 0, 0); });
}
void BM_PUTALPHAHCSPRITE(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { PUTALPHAHCSPRITE(t, sp, 0, 0, 0); });
}
void BM_PUTCLIPPEDSPRITE_offset(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { PUTCLIPPEDSPRITE(t, sp, -7, 5); });
}
void BM_FADESPRITE(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { FADESPRITE(t, sp); });
}
void BM_ROTATE_SPRITE180(benchmark::State& s) {
  frame_blit(s, [](VIRTUALWINDOW& t, VIRTUALWINDOW& sp) { ROTATE_SPRITE180(sp, t); });
}

void keyed_layer(benchmark::State& state, bool strokes) {
  window target(frame_w, frame_h), layer(frame_w, layer_h);
  fill_random(target, 3);
  fill_layer(layer, 0.05, strokes, 4);
  for (auto _ : state) {
    PUTHCSPRITE(target.vw, layer.vw, 0, 0, 0);
    benchmark::DoNotOptimize(target.vw.DATA);
    benchmark::ClobberMemory();
  }
}
void BM_PUTHCSPRITE_layer_scattered(benchmark::State& s) {
  keyed_layer(s, false);
}
void BM_PUTHCSPRITE_layer_strokes(benchmark::State& s) {
  keyed_layer(s, true);
}

void BM_SCALESPRITE_clear(benchmark::State& state) {
  window tile(2, 2), layer(frame_w, layer_h);
  for (auto _ : state) {
    SCALESPRITE(tile.vw, layer.vw);
    benchmark::DoNotOptimize(layer.vw.DATA);
    benchmark::ClobberMemory();
  }
}

void BM_SCALESPRITE_frame(benchmark::State& state) {
  window source(640, 480), target(frame_w, frame_h);
  fill_random(source, 5);
  for (auto _ : state) {
    SCALESPRITE(source.vw, target.vw);
    benchmark::DoNotOptimize(target.vw.DATA);
    benchmark::ClobberMemory();
  }
}

void adjust(benchmark::State& state, SHORTINT f) {
  window frame(frame_w, frame_h);
  fill_random(frame, 6);
  for (auto _ : state) {
    ADJUSTSPRITEBRIGHTNESS(frame.vw, f, static_cast<SHORTINT>(2 * f), f);
    benchmark::DoNotOptimize(frame.vw.DATA);
    benchmark::ClobberMemory();
  }
}
void BM_ADJUSTSPRITEBRIGHTNESS(benchmark::State& s) {
  adjust(s, 3);
}
void BM_ADJUSTSPRITEBRIGHTNESS_zero(benchmark::State& s) {
  adjust(s, 0);
}

void BM_ROTATE_SCALE_SPRITE(benchmark::State& state) {
  window source(256, 256), target(frame_w, frame_h);
  fill_random(source, 7);
  LONGINT angle = 0;
  for (auto _ : state) {
    ROTATE_SCALE_SPRITE(source.vw, target.vw, 400, 300, 400, 0, angle);
    angle = (angle + 7) % 360;
    benchmark::DoNotOptimize(target.vw.DATA);
    benchmark::ClobberMemory();
  }
}

// ---- the ratio table ----------------------------------------------------------------------------

// Collects the median of every benchmark while the console shows the usual output. The table
// uses processor time: on a machine shared with other work, wall time also counts the spells in
// which the benchmark was not running at all.
class median_reporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medians;  // nanoseconds
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
        medians[r.run_name.function_name] =
            r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e9;
    ConsoleReporter::ReportRuns(runs);
  }
};

struct row {
  const char* name;
  const char* baseline;
  double bar;  // 0: shown for information, no bar
};

constexpr long frame_bytes = frame_w * frame_h * 2;
constexpr long layer_bytes = frame_w * layer_h * 2;

}  // namespace

int main(int argc, char** argv) {
  const std::string frame = std::to_string(frame_bytes), layer = std::to_string(layer_bytes);
  const auto reg = [](const char* name, void (*fn)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, fn);
  };
  benchmark::RegisterBenchmark(("memcpy/" + frame).c_str(), BM_memcpy)->Arg(frame_bytes);
  benchmark::RegisterBenchmark(("memcpy/" + layer).c_str(), BM_memcpy)->Arg(layer_bytes);
  benchmark::RegisterBenchmark(("memset/" + layer).c_str(), BM_memset)->Arg(layer_bytes);
  reg("PUTSPRITE", BM_PUTSPRITE);
  reg("GETSPRITE", BM_GETSPRITE);
  reg("COPYSPRITE", BM_COPYSPRITE);
  reg("SCALESPRITE_clear", BM_SCALESPRITE_clear);
  reg("PUTHCSPRITE_layer_scattered", BM_PUTHCSPRITE_layer_scattered);
  reg("PUTHCSPRITE_layer_strokes", BM_PUTHCSPRITE_layer_strokes);
  reg("PUTTRANSSPRITE", BM_PUTTRANSSPRITE);
  reg("PUTALPHASPRITE", BM_PUTALPHASPRITE);
  reg("ADJUSTSPRITEBRIGHTNESS", BM_ADJUSTSPRITEBRIGHTNESS);
  reg("ADJUSTSPRITEBRIGHTNESS_zero", BM_ADJUSTSPRITEBRIGHTNESS_zero);
  reg("PUTBRIGHTSPRITE", BM_PUTBRIGHTSPRITE);
  reg("PUTMIXEDSPRITE", BM_PUTMIXEDSPRITE);
  reg("PUTALPHAHCSPRITE", BM_PUTALPHAHCSPRITE);
  reg("PUTCLIPPEDSPRITE_offset", BM_PUTCLIPPEDSPRITE_offset);
  reg("FADESPRITE", BM_FADESPRITE);
  reg("ROTATE_SPRITE180", BM_ROTATE_SPRITE180);
  reg("SCALESPRITE_640x480_to_frame", BM_SCALESPRITE_frame);
  reg("ROTATE_SCALE_SPRITE_side400", BM_ROTATE_SCALE_SPRITE);

  // Medians over repetitions, interleaved at random so that a slow spell of a shared machine
  // falls on every operation alike; command-line flags may override both.
  std::vector<char*> args(argv, argv + argc);
  // --baseline_loops measures the x86-64 baseline build of the pixel loops instead of the widest
  bool baseline = false;
  std::erase_if(args, [&](char* a) {
    const bool match = std::string(a) == "--baseline_loops";
    baseline = baseline || match;
    return match;
  });
  if (baseline) orla_sprites::detail::select_loop_build(orla_sprites::detail::loop_build::baseline);
  std::string reps = "--benchmark_repetitions=15";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::string min_time = "--benchmark_min_time=0.05";
  args.insert(args.begin() + 1, {reps.data(), interleave.data(), min_time.data()});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  median_reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const std::vector<row> rows = {
      {"PUTSPRITE", "memcpy/", 1.3},
      {"GETSPRITE", "memcpy/", 1.3},
      {"COPYSPRITE", "memcpy/", 1.3},
      {"SCALESPRITE_clear", "memset/", 2.0},
      {"PUTHCSPRITE_layer_scattered", "memcpy/", 2.0},
      {"PUTHCSPRITE_layer_strokes", "memcpy/", 2.0},
      {"PUTTRANSSPRITE", "memcpy/", 4.0},
      {"PUTALPHASPRITE", "memcpy/", 4.0},
      {"ADJUSTSPRITEBRIGHTNESS", "memcpy/", 4.0},
      {"ADJUSTSPRITEBRIGHTNESS_zero", "memcpy/", 0.0},
      {"PUTBRIGHTSPRITE", "memcpy/", 0.0},
      {"PUTMIXEDSPRITE", "memcpy/", 0.0},
      {"PUTALPHAHCSPRITE", "memcpy/", 0.0},
      {"PUTCLIPPEDSPRITE_offset", "memcpy/", 0.0},
      {"FADESPRITE", "memcpy/", 0.0},
      {"ROTATE_SPRITE180", "memcpy/", 0.0},
      {"SCALESPRITE_640x480_to_frame", "memcpy/", 0.0},
      {"ROTATE_SCALE_SPRITE_side400", "memcpy/", 0.0},
  };
  std::printf("\nmedians of processor time over the repetitions, %s build of the pixel loops\n",
              orla_sprites::detail::wide_loops() ? "AVX2" : "baseline");
  std::printf("%-30s %12s  %-16s %12s %8s %6s\n", "operation", "median us", "baseline", "median us",
              "ratio", "bar");
  bool all_met = true;
  for (const row& r : rows) {
    // the layer-sized operations compare with the layer-sized baselines
    const bool on_layer = std::string(r.name).find("layer") != std::string::npos ||
                          std::string(r.name) == "SCALESPRITE_clear";
    const std::string base = std::string(r.baseline) + (on_layer ? layer : frame);
    const auto op = reporter.medians.find(r.name);
    const auto bl = reporter.medians.find(base);
    if (op == reporter.medians.end() || bl == reporter.medians.end()) continue;
    const double ratio = op->second / bl->second;
    const bool met = r.bar == 0.0 || ratio <= r.bar;
    all_met = all_met && met;
    char bar[16] = "-";
    if (r.bar > 0.0) std::snprintf(bar, sizeof bar, "%.1fx", r.bar);
    std::printf("%-30s %12.2f  %-16s %12.2f %7.2fx %6s %s\n", r.name, op->second / 1e3,
                base.c_str(), bl->second / 1e3, ratio, bar, met ? "" : "MISSED");
  }
  std::printf("%s\n", all_met ? "all bars met" : "some bars missed");
  benchmark::Shutdown();
  return 0;
}
