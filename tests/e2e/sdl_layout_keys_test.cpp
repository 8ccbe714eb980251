// SDL backend tests without a display (SDL's dummy video driver): the key events and text input
// that keyboard layouts produce, pushed into SDL's queue, become the program's speed and chapter
// keys through the real window procedure; the presenters (the window's own surface, and a
// renderer's texture for the frame drawn at the size shown) show every pixel of the frames given.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "backend.hpp"
#include "orla.hpp"
#include "orla_win32.hpp"
#include "sdl_backend.hpp"
#include "sdl_surface_presenter.hpp"
#include "vexel.hpp"

using namespace vexel;

namespace {

void push_key(bool down, SDL_Keycode sym, SDL_Scancode scan_code, Uint16 mod) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = scan_code;
  e.key.keysym.mod = mod;
  ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void push_text(const char* text) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  std::strncpy(e.text.text, text, sizeof e.text.text - 1);
  ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

class SdlLayoutKeys : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    orla_win32::WINDOW_REGISTERCLASS(1);
    orla::WINDOW_MAIN_HANDLE = orla_win32::WINDOW_CREATECLASS("keys", 1);
    orla_win32::GETALLMESSAGES();
  }
};

}  // namespace

TEST_F(SdlLayoutKeys, PlusAndMinusAreWhatTheLayoutTypes) {
  // the window system sends the text keys type only while text input is on (pushed events below
  // pass either way)
  EXPECT_TRUE(SDL_IsTextInputActive());
  EXPECT_EQ(SDL_EventState(SDL_TEXTINPUT, SDL_QUERY), SDL_ENABLE);
  // each row: one key as a layout sends it (its key code and scan code, Shift, the text it
  // types; no text: it types none) and the speed step it makes in the pedal chapter
  const struct {
    const char* layout;
    SDL_Keycode sym;
    SDL_Scancode scan_code;
    bool shift;
    const char* text;
    int step;
  } rows[] = {
      {"Hungarian + (Shift+3)", SDLK_3, SDL_SCANCODE_3, true, "+", 5},
      {"Hungarian - (the US / place)", SDLK_MINUS, SDL_SCANCODE_SLASH, false, "-", -5},
      {"Hungarian \u00fc (the US - place)", 0xFC, SDL_SCANCODE_MINUS, false, "\u00fc", 0},
      {"Hungarian \u00f3 (the US = place)", 0xF3, SDL_SCANCODE_EQUALS, false, "\u00f3", 0},
      {"German +", SDLK_PLUS, SDL_SCANCODE_RIGHTBRACKET, false, "+", 5},
      {"German -", SDLK_MINUS, SDL_SCANCODE_SLASH, false, "-", -5},
      {"US + (Shift+=)", SDLK_EQUALS, SDL_SCANCODE_EQUALS, true, "+", 5},
      {"US = without Shift", SDLK_EQUALS, SDL_SCANCODE_EQUALS, false, "=", 0},
      {"US -", SDLK_MINUS, SDL_SCANCODE_MINUS, false, "-", -5},
      {"French - (the 6 key)", SDLK_MINUS, SDL_SCANCODE_6, false, "-", -5},
      {"French + (Shift+=)", SDLK_EQUALS, SDL_SCANCODE_EQUALS, true, "+", 5},
      {"keypad +", SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, false, "+", 5},
      {"keypad -", SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, false, "-", -5},
  };
  for (const auto& row : rows) {
    SARGAMENU = 9;
    SUGOB = false;
    SEBESSEG = 40;
    const Uint16 mod = row.shift ? KMOD_LSHIFT : KMOD_NONE;
    if (row.shift) push_key(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, mod);
    push_key(true, row.sym, row.scan_code, mod);
    if (row.text) push_text(row.text);
    push_key(false, row.sym, row.scan_code, mod);
    if (row.shift) push_key(false, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_NONE);
    orla_win32::GETALLMESSAGES();
    // every press of the pass, as the frame loop takes them one a frame
    for (int pass = 0; pass < 3; ++pass) {
      detail::take_frame_key();
      for (BYTE chapter = 2; chapter <= 10; ++chapter)
        EXPECT_FALSE(detail::key_clicks(chapter)) << row.layout << ": chapter " << int(chapter);
    }
    EXPECT_EQ(SEBESSEG, 40 + row.step) << row.layout;
  }

  // the digit keys still select chapters, with their text
  push_key(true, SDLK_3, SDL_SCANCODE_3, KMOD_NONE);
  push_text("3");
  push_key(false, SDLK_3, SDL_SCANCODE_3, KMOD_NONE);
  orla_win32::GETALLMESSAGES();
  detail::take_frame_key();
  EXPECT_TRUE(detail::key_clicks(4)) << "3 selects the third chapter button";
}

TEST(SdlPresenter, EveryWindowPixelShowsItsFramePixelOneToOneAndEnlarged) {
  // random frames changed in random rectangles, each told the presenter; after each the window's
  // surface shows, at every pixel of the letterboxed picture, the colour of the frame pixel
  // under it (1:1, enlarged, and letterboxed)
  std::mt19937 rng(28);
  const struct {
    int window_w, window_h, frame_w, frame_h;
  } cases[] = {{96, 40, 96, 40}, {130, 70, 48, 24}, {90, 80, 60, 30}};
  for (const auto& c : cases) {
    SDL_Window* window = SDL_CreateWindow("presenter", 0, 0, c.window_w, c.window_h, 0);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    platform::detail::surface_presenter presenter;
    ASSERT_TRUE(presenter.open(window, c.frame_w, c.frame_h));
    std::vector<std::uint16_t> frame(static_cast<std::size_t>(c.frame_w) * c.frame_h);
    for (auto& p : frame) p = static_cast<std::uint16_t>(rng());
    presenter.present(frame.data());
    for (int round = 0; round < 40; ++round) {
      std::vector<SDL_Rect> told;
      for (int k = 0; k < 3; ++k) {
        const int x = static_cast<int>(rng() % c.frame_w), y = static_cast<int>(rng() % c.frame_h);
        const SDL_Rect r{x, y, 1 + static_cast<int>(rng() % (c.frame_w - x)),
                         1 + static_cast<int>(rng() % (c.frame_h - y))};
        told.push_back(r);
        for (int yy = r.y; yy < r.y + r.h; ++yy)
          for (int xx = r.x; xx < r.x + r.w; ++xx)
            if (rng() % 3 == 0) frame[static_cast<std::size_t>(yy) * c.frame_w + xx] = rng();
      }
      presenter.present(frame.data(), told.data(), static_cast<int>(told.size()));
      SDL_Surface* surface = SDL_GetWindowSurface(window);
      ASSERT_NE(surface, nullptr);
      int shown_w = 0, shown_h = 0;
      presenter.shown_size(shown_w, shown_h);
      const int left = (surface->w - shown_w) / 2, top = (surface->h - shown_h) / 2;
      int wrong = 0;
      for (int y = top; y < top + shown_h; ++y)
        for (int x = left; x < left + shown_w; ++x) {
          int fx = 0, fy = 0;
          presenter.to_frame(x, y, fx, fy);
          const std::uint16_t p = frame[static_cast<std::size_t>(fy) * c.frame_w + fx];
          const unsigned r = p >> 11, g = p >> 5 & 63, b = p & 31;
          const Uint32 want =
              SDL_MapRGB(surface->format, static_cast<Uint8>(r << 3 | r >> 2),
                         static_cast<Uint8>(g << 2 | g >> 4), static_cast<Uint8>(b << 3 | b >> 2));
          Uint32 got = 0;
          std::memcpy(&got,
                      static_cast<const Uint8*>(surface->pixels) + y * surface->pitch +
                          x * surface->format->BytesPerPixel,
                      surface->format->BytesPerPixel);
          wrong += got != want;
        }
      ASSERT_EQ(wrong, 0) << c.window_w << " x " << c.window_h << " showing " << c.frame_w << " x "
                          << c.frame_h << ", round " << round;
    }
    presenter.close();
    SDL_DestroyWindow(window);
  }
}

TEST_F(SdlLayoutKeys, TheLargeFrameThroughARendererShowsEveryPixelItWasTold) {
  // the path of a machine with a graphics processor (SDL's software renderer standing in): frames
  // drawn at the size shown go into their own texture, only the bounds of the rectangles told
  // changed; the window then shows each frame 1:1 in its letterbox
  namespace p = platform::detail;
  auto& s = p::sdl::state();
  ASSERT_NE(s.window, nullptr);
  s.surface.close();
  s.large_surface.close();
  s.on_surface = false;
  s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
  ASSERT_NE(s.renderer, nullptr) << SDL_GetError();
  ASSERT_TRUE(p::backend_present_open(s.hwnd, 800, 600));
  int w = 0, h = 0;
  p::backend_present_shown_size(w, h);
  SDL_Surface* surface = SDL_GetWindowSurface(s.window);
  ASSERT_NE(surface, nullptr);
  ASSERT_GT(w, 800) << "a window larger than the frame";
  std::mt19937 rng(28);
  std::vector<std::uint16_t> frame(static_cast<std::size_t>(w) * h);
  for (auto& q : frame) q = static_cast<std::uint16_t>(rng());
  p::backend_present_large(frame.data(), w, h, nullptr, 0);
  for (int round = 0; round < 12; ++round) {
    std::vector<win32::RECT> told;
    for (int k = 0; k < 2; ++k) {
      const int x = static_cast<int>(rng() % w), y = static_cast<int>(rng() % h);
      const win32::RECT r{x, y, x + 1 + static_cast<int>(rng() % (w - x)),
                          y + 1 + static_cast<int>(rng() % (h - y))};
      told.push_back(r);
      for (int yy = r.top; yy < r.bottom; ++yy)
        for (int xx = r.left; xx < r.right; ++xx)
          frame[static_cast<std::size_t>(yy) * w + xx] = static_cast<std::uint16_t>(rng());
    }
    p::backend_present_large(frame.data(), w, h, told.data(), static_cast<int>(told.size()));
    surface = SDL_GetWindowSurface(s.window);
    const int left = (surface->w - w) / 2, top = (surface->h - h) / 2;
    int wrong = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::uint16_t q = frame[static_cast<std::size_t>(y) * w + x];
        Uint8 r = 0, g = 0, b = 0;
        Uint32 got = 0;
        std::memcpy(&got,
                    static_cast<const Uint8*>(surface->pixels) + (top + y) * surface->pitch +
                        (left + x) * surface->format->BytesPerPixel,
                    surface->format->BytesPerPixel);
        SDL_GetRGB(got, surface->format, &r, &g, &b);
        wrong += (r >> 3) != (q >> 11) || (g >> 2) != (q >> 5 & 63) || (b >> 3) != (q & 31);
      }
    ASSERT_EQ(wrong, 0) << w << " x " << h << " in " << surface->w << " x " << surface->h
                        << ", round " << round;
  }
  // back to the window's own surface for whatever runs after
  SDL_DestroyTexture(s.large_texture);
  SDL_DestroyTexture(s.texture);
  SDL_DestroyRenderer(s.renderer);
  s.large_texture = s.texture = nullptr;
  s.renderer = nullptr;
  s.large_shown = false;
  s.on_surface = true;
  EXPECT_TRUE(p::backend_present_open(s.hwnd, 800, 600));
}
