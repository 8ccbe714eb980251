// platform: the user's services a program takes its figure out through: the pictures folder,
// downloads (the page), the clipboard and the address that keeps the figure (the page). Each
// platform implements them in its own way: XDG folders and SDL's clipboard on the desktop, the
// known folders and the clipboard of Windows, the page's downloads, clipboard and address.
#pragma once

#include <functional>
#include <string>

namespace platform {

// The user's folder for pictures; empty where the platform keeps no files (the page, which
// offers downloads instead).
std::string pictures_folder();
// Hands a finished file to the user as a download; false where there are none (the desktop).
bool offer_download(const std::string& name, const std::string& mime, const std::string& bytes);
// Puts the text on the clipboard; false when the platform refused it.
bool copy_to_clipboard(const std::string& text);
// The figure's line changed (a drag ended, the chapter changed): where the platform keeps it in
// view (the page's address), it is updated without a new history entry.
void share_figure_line(const std::string& line);

namespace detail {

// The XDG pictures folder: $XDG_PICTURES_DIR, else XDG_PICTURES_DIR in user-dirs.dirs of
// $XDG_CONFIG_HOME (~/.config when unset), else ~/Pictures. `getenv` is the environment's
// lookup; `read_file` gives a file's text (empty when unreadable).
std::string xdg_pictures_folder(const std::function<const char*(const char*)>& getenv,
                                const std::function<std::string(const std::string&)>& read_file);
// Tests: the folder pictures_folder answers (empty: back to the environment's).
void set_pictures_folder(const std::string& folder);

}  // namespace detail
}  // namespace platform
