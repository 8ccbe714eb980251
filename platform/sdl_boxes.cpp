// platform: the SDL backend's message boxes: SDL's own, else the desktop's dialog programs, else
// standard error.
#include <cstdio>

#include "desktop_dialog.hpp"
#include "sdl_backend.hpp"

namespace platform::detail {

using namespace win32;

int backend_message_box(const std::string& caption, const std::string& text, UINT type) {
  const std::string shown = box_lines(text);
  const bool yes_no = (type & 0xF) == MB_YESNO;

  SDL_MessageBoxData box{};
  const UINT icon = type & 0xF0;
  box.flags = icon == MB_ICONHAND ? SDL_MESSAGEBOX_ERROR
              : (icon == MB_ICONQUESTION || icon == MB_ICONEXCLAMATION)
                  ? SDL_MESSAGEBOX_WARNING
                  : SDL_MESSAGEBOX_INFORMATION;
  // a box of its own: the program's window is minimised while a box shows
  box.window = nullptr;
  box.title = caption.c_str();
  box.message = shown.c_str();
  const SDL_MessageBoxButtonData ok[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
       "OK"}};
  const SDL_MessageBoxButtonData yes_no_buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"}};
  box.buttons = yes_no ? yes_no_buttons : ok;
  box.numbuttons = yes_no ? 2 : 1;

  // no box without a display: SDL would otherwise try display servers that are not there
  int answer = -1;
  if (sdl::open_video() && SDL_ShowMessageBox(&box, &answer) == 0) {
    if (answer == IDYES || answer == IDNO || answer == IDOK) return answer;
    return yes_no ? IDNO : IDOK;  // closed without a button
  }
  // changed: a message that SDL cannot show (no X core fonts, say) went only to standard error,
  // which a user started from the desktop never sees; the desktop's dialog programs come first
  if (const auto answer = desktop_dialog(caption, shown, type)) return *answer;
  box_to_standard_error(caption, text);
  // nothing is replaced without consent
  if (yes_no) {
    std::fprintf(stderr, "(no message box can be shown: answered No)\n");
    std::fflush(stderr);
  }
  return yes_no ? IDNO : IDOK;
}

}  // namespace platform::detail
