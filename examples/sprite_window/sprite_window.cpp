// examples: a window showing a picture with a caption in the bitmap font; any key or the
// window's close button ends it.
//
//   sprite_window PICTURE.vex|PICTURE.pcx FONT.fnt [CAPTION]
//
// PICTURE is a sprite file (orla_imgconv to-sprite makes one from a PNG) or a 24-bit PCX image.
#include <chrono>
#include <cstdio>
#include <orla/orla.hpp>
#include <orla/orla_sprites.hpp>
#include <orla/orla_text.hpp>
#include <orla/orla_win32.hpp>
#include <string>
#include <thread>

namespace {

constexpr orla::LONGINT frame_width = 640;
constexpr orla::LONGINT frame_height = 480;
constexpr orla::WORD caption_size = 2;  // each dot of the 8 x 16 glyphs becomes 2 x 2 pixels

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: sprite_window PICTURE.vex|PICTURE.pcx FONT.fnt [CAPTION]\n");
    return 2;
  }
  const std::string picture_file = argv[1];
  const std::string caption = argc == 4 ? argv[3] : "Hello from orla";

  // the files first: a missing one is reported in a message box before any window opens
  orla_text::LOAD_FONTS(argv[2]);
  orla::VIRTUALWINDOW picture;
  if (ends_with(picture_file, ".pcx") || ends_with(picture_file, ".PCX"))
    orla_sprites::LOAD_PCX(picture_file, "", picture);
  else
    orla_sprites::LOAD_SPRITE(picture_file, "", picture);

  orla_win32::WINDOW_REGISTERCLASS(1);
  orla::WINDOW_MAIN_HANDLE = orla_win32::WINDOW_CREATECLASS("orla sprite window", 1);
  orla_win32::CHECKWMCREATE();
  orla::INIT_GRAPH(frame_width, frame_height);

  // one frame, drawn once: a dark backdrop, the picture centred above the caption
  orla::VIRTUALWINDOW frame;
  orla::INIT_VW(frame, frame_width, frame_height, false);
  orla::CLRSPRITE(frame, 2, 6, 8);
  const orla::LONGINT caption_height = 16 * caption_size;
  const orla::LONGINT x = (frame_width - picture.BREITE) / 2;
  const orla::LONGINT y = (frame_height - picture.HOEHE - caption_height - 16) / 2;
  orla_sprites::PUTCLIPPEDSPRITE(frame, picture, x, y);
  orla_text::SETTEXTSIZE(caption_size);
  const auto caption_width = static_cast<orla::LONGINT>(caption.size()) * 8 * caption_size;
  orla_text::OUTTEXTXY2(frame, (frame_width - caption_width) / 2, y + picture.HOEHE + 16, 31, 60,
                        12, caption);

  while (orla::APPLICATIONRUNNING) {
    orla::FLIP_DD(frame.DATA);
    orla_win32::GETALLMESSAGES();
    orla_win32::HANDLEMINIMIZED();
    if (orla_win32::KEYPRESSED()) break;
    // the picture does not change: no need to present it at full speed
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  orla::KILL_VW(frame);
  orla::KILL_VW(picture);
  orla::KILL_GRAPH();
  orla::CHECKMEMORY();
  orla_win32::TERMINATE();
  return 0;
}
