// platform: the desktop's own dialog programs, for a message when the backend cannot show a box.
#pragma once

#include <optional>
#include <string>

#include "win32.hpp"

namespace platform::detail {

// Shows the message with the first dialog program on PATH that can show it: zenity, then
// kdialog, then xmessage; none is tried without a display (DISPLAY or WAYLAND_DISPLAY). type:
// the MessageBox flags (MB_YESNO asks a question; the icon gives the kind). Returns the answer
// (IDOK, IDYES or IDNO; a question closed without an answer is IDNO), or nothing when no program
// could be asked.
std::optional<int> desktop_dialog(const std::string& caption, const std::string& text,
                                  win32::UINT type);

}  // namespace platform::detail
