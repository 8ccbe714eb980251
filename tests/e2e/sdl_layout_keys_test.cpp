// SDL backend tests without a display (SDL's dummy video driver): the key events and text input
// that keyboard layouts produce, pushed into SDL's queue, become the program's speed and chapter
// keys through the real window procedure.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "orla.hpp"
#include "orla_win32.hpp"
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
