// vexel: the pictures at the size the screen shows the frame (backdrop, help picture, intro
// picture), made from the renderings the build made at larger sizes and reduced with an averaging
// filter; the help screen, the intro and the fade-out presented at that size.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "dravo.hpp"
#include "file_open.hpp"
#include "orla_sprites.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

// The larger renderings the build makes of every picture ("menu@2.vex" ...), by how many times
// the picture's own size they are, smallest first.
constexpr int larger_renderings[] = {2, 3};

// The three components of a pixel and back.
struct rgb {
  float r, g, b;
};
WORD packed(const rgb& c) {
  auto level = [](float v, int top) {
    return static_cast<WORD>(std::clamp(static_cast<int>(std::lrint(v)), 0, top));
  };
  return orla::PACK(level(c.r, 31), level(c.g, 63), level(c.b, 31));
}

// The weights of the source pixels that make each target pixel along one axis: an average over
// the target pixel's footprint when reducing, a linear blend of the two nearest when enlarging.
struct tap {
  int first = 0;
  std::vector<float> weights;
};
std::vector<tap> taps(int from, int to) {
  std::vector<tap> out(static_cast<std::size_t>(to));
  const double ratio = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    tap& t = out[static_cast<std::size_t>(i)];
    if (ratio > 1) {
      const double a = i * ratio, b = (i + 1) * ratio;
      t.first = static_cast<int>(std::floor(a));
      for (int k = t.first; k < b && k < from; ++k)
        t.weights.push_back(
            static_cast<float>((std::min<double>(k + 1, b) - std::max<double>(k, a)) / ratio));
    } else {
      const double centre = std::clamp((i + 0.5) * ratio - 0.5, 0.0, from - 1.0);
      t.first = std::min(static_cast<int>(std::floor(centre)), from - 1);
      const auto f = static_cast<float>(centre - t.first);
      t.weights = {1 - f};
      if (t.first + 1 < from) t.weights.push_back(f);
    }
  }
  return out;
}

// The picture resampled to the target's size, filtered (separable: for each target row the
// source rows it covers are weighted into one row, which is then weighted along the row). One
// row of sums is held, not a whole picture of them.
void resample(const orla::VIRTUALWINDOW& source, orla::VIRTUALWINDOW& target) {
  const int sw = source.BREITE, sh = source.HOEHE, tw = target.BREITE, th = target.HOEHE;
  const auto across = taps(sw, tw), down = taps(sh, th);
  std::vector<rgb> row(static_cast<std::size_t>(sw));
  for (int y = 0; y < th; ++y) {
    std::fill(row.begin(), row.end(), rgb{0, 0, 0});
    const tap& v = down[static_cast<std::size_t>(y)];
    for (std::size_t k = 0; k < v.weights.size(); ++k) {
      const WORD* from = source.DATA + (v.first + k) * static_cast<std::size_t>(sw);
      const float w = v.weights[k];
      for (int x = 0; x < sw; ++x) {
        const WORD p = from[x];
        rgb& s = row[static_cast<std::size_t>(x)];
        s.r += w * static_cast<float>(orla::detail::red_of(p));
        s.g += w * static_cast<float>(orla::detail::green_of(p));
        s.b += w * static_cast<float>(orla::detail::blue_of(p));
      }
    }
    WORD* to = target.DATA + static_cast<std::size_t>(y) * tw;
    for (int x = 0; x < tw; ++x) {
      const tap& t = across[static_cast<std::size_t>(x)];
      rgb sum{0, 0, 0};
      for (std::size_t k = 0; k < t.weights.size(); ++k) {
        const rgb& c = row[t.first + k];
        sum.r += c.r * t.weights[k], sum.g += c.g * t.weights[k], sum.b += c.b * t.weights[k];
      }
      to[x] = packed(sum);
    }
  }
}

bool readable(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// A window at the size given, made anew only where it has another size.
void window_of(orla::VIRTUALWINDOW& window, LONGINT width, LONGINT height) {
  if (window.DATA != nullptr && window.BREITE == width && window.HOEHE == height) return;
  orla::KILL_VW(window);
  orla::INIT_VW(window, width, height, false);
}

// The help screen at the size shown: its picture, made when the help screen opened.
struct help_state {
  orla::VIRTUALWINDOW picture;
  bool made = false;           // made for this opening of the help screen
  bool shown = false;          // the last help frame was presented at the size shown
  std::uint64_t shown_as = 0;  // as which picture presented at that size
};
help_state help;

// The intro at the size shown: the white frame, the title picture at that scale, and where the
// last frame put it.
struct intro_state {
  orla::VIRTUALWINDOW frame, picture;
  bool shown = false;  // the frame was presented before, with the picture at `last`
  win32::RECT last{};
  std::uint64_t shown_as = 0;  // as which picture presented at the size shown
};
intro_state intro;

// The fade-out's picture where the last frame was presented at the size shown.
orla::VIRTUALWINDOW fading;

}  // namespace

bool detail::large_screen(int& width, int& height) {
  dravo::detail::shown_size(width, height);
  return !original_pixels_chosen() && width > WIDTH && height > HEIGHT;
}

void detail::picture_at_size(const std::string& name, const orla::VIRTUALWINDOW& original,
                             orla::VIRTUALWINDOW& target) {
  // the larger renderings lie beside the picture the program read, in its language's folder
  const std::filesystem::path path = orla::detail::utf8_path(program_file(name));
  const std::string stem = orla::detail::path_utf8(path.stem());
  const std::string extension = orla::detail::path_utf8(path.extension());
  std::filesystem::path chosen;
  int times = 0;
  for (const int n : larger_renderings) {
    const auto candidate =
        path.parent_path() / orla::detail::utf8_path(stem + "@" + std::to_string(n) + extension);
    if (!readable(candidate)) continue;
    chosen = candidate, times = n;
    // the smallest that is at least as large: reduced, never enlarged
    if (original.BREITE * n >= target.BREITE && original.HOEHE * n >= target.HOEHE) break;
  }
  orla::VIRTUALWINDOW larger;
  if (times > 0) orla_sprites::LOAD_SPRITE(orla::detail::path_utf8(chosen), "", larger);
  // a rendering of another picture's size (a picture replaced without its renderings) is not it
  const bool usable = larger.DATA != nullptr && larger.BREITE == original.BREITE * times &&
                      larger.HOEHE == original.HOEHE * times;
  const orla::VIRTUALWINDOW& source = usable ? larger : original;
  if (source.BREITE == target.BREITE && source.HOEHE == target.HOEHE)
    std::copy_n(source.DATA, static_cast<std::size_t>(source.BREITE) * source.HOEHE, target.DATA);
  else
    resample(source, target);
  orla::KILL_VW(larger);
}

void detail::help_opened() {
  help.made = false;
}

void detail::present_help() {
  int width = 0, height = 0;
  if (!large_screen(width, height)) {
    help.shown = false;
    orla::FLIP_DD(RESULT.DATA);
    return;
  }
  const bool remade = !help.made || help.picture.BREITE != width || help.picture.HOEHE != height;
  if (remade) {
    window_of(help.picture, width, height);
    // RESULT holds the help picture as the 800 x 600 frame shows it (laid from the corner)
    picture_at_size("sugo.vex", RESULT, help.picture);
    help.made = true;
  }
  // the same picture again: nothing changed since the last one
  static const win32::RECT nothing{};
  const bool same = help.shown && !remade;
  help.shown_as = present_large(help.picture, same ? &nothing : nullptr, 0, help.shown_as);
  help.shown = true;
}

void detail::help_closed() {
  orla::KILL_VW(help.picture);
  help.made = help.shown = false;
}

bool detail::present_large_intro(REAL x, REAL y) {
  int width = 0, height = 0;
  if (!large_screen(width, height)) {
    intro.shown = false;
    return false;
  }
  const double scale = static_cast<double>(width) / WIDTH;
  const auto w = static_cast<LONGINT>(std::lrint(BACKGROUND.BREITE * scale));
  const auto h = static_cast<LONGINT>(std::lrint(BACKGROUND.HOEHE * scale));
  const WORD white = RGBTOCOL[31][63][31];
  if (intro.frame.BREITE != width || intro.frame.HOEHE != height || intro.frame.DATA == nullptr) {
    window_of(intro.frame, width, height);
    intro.shown = false;
  }
  if (intro.picture.BREITE != w || intro.picture.HOEHE != h || intro.picture.DATA == nullptr) {
    window_of(intro.picture, w, h);
    picture_at_size("vex.vex", BACKGROUND, intro.picture);
    intro.shown = false;
  }
  // white where the picture was, or everywhere on the first frame
  const win32::RECT all{0, 0, width, height};
  const win32::RECT& clear = intro.shown ? intro.last : all;
  for (LONGINT row = clear.top; row < clear.bottom; ++row)
    std::fill_n(intro.frame.DATA + static_cast<std::size_t>(row) * width + clear.left,
                clear.right - clear.left, white);
  const auto left = static_cast<LONGINT>(std::lrint(x * scale));
  const auto top = static_cast<LONGINT>(std::lrint(y * scale));
  orla_sprites::PUTCLIPPEDSPRITE(intro.frame, intro.picture, left, top);
  const win32::RECT now{std::clamp<LONGINT>(left, 0, width), std::clamp<LONGINT>(top, 0, height),
                        std::clamp<LONGINT>(left + w, 0, width),
                        std::clamp<LONGINT>(top + h, 0, height)};
  // what changed since the frame before: where the picture was and where it is
  const win32::RECT changed[] = {intro.last, now};
  intro.shown_as = present_large(intro.frame, intro.shown ? changed : nullptr, 2, intro.shown_as);
  intro.last = now;
  intro.shown = true;
  return true;
}

void detail::release_large_intro() {
  orla::KILL_VW(intro.frame);
  orla::KILL_VW(intro.picture);
  intro.shown = false;
}

bool detail::begin_large_fade() {
  int width = 0, height = 0;
  if (!large_screen(width, height)) return false;
  // the picture the last frame presented: the help screen's (SFIRST false: the last pass was a
  // help pass; the one that left it presented the 800 x 600 frame), else the large frame
  const orla::VIRTUALWINDOW* last = nullptr;
  if (!SFIRST) {
    if (SUGOB && help.shown) last = &help.picture;
  } else {
    last = &large_frame();
  }
  if (last == nullptr || last->DATA == nullptr || last->BREITE != width || last->HOEHE != height)
    return false;
  window_of(fading, width, height);
  std::copy_n(last->DATA, static_cast<std::size_t>(width) * height, fading.DATA);
  return true;
}

void detail::fade_large(orla::SHORTINT step) {
  orla_sprites::ADJUSTSPRITEBRIGHTNESS(fading, step, static_cast<orla::SHORTINT>(2 * step), step);
  present_large(fading, nullptr, 0, 0);
}

void detail::release_large_pictures() {
  help_closed();
  release_large_intro();
  orla::KILL_VW(fading);
}

}  // namespace vexel
