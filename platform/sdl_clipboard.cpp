// platform: the SDL backend's user services beside the folders: SDL's text clipboard. A desktop
// has no downloads and no address to keep the figure in.
#include <SDL.h>

#include "user_services.hpp"

namespace platform {

bool copy_to_clipboard(const std::string& text) {
  return SDL_SetClipboardText(text.c_str()) == 0;
}

bool offer_download(const std::string&, const std::string&, const std::string&) {
  return false;
}

void share_figure_line(const std::string&) {}

}  // namespace platform
