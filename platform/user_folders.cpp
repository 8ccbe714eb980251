// platform: the user's pictures folder on the XDG desktops (the SDL and headless backends).
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "user_services.hpp"

namespace platform {

namespace {

std::string& folder_for_tests() {
  static std::string folder;
  return folder;
}

std::string text_of(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : std::string();
}

}  // namespace

std::string detail::xdg_pictures_folder(
    const std::function<const char*(const char*)>& getenv,
    const std::function<std::string(const std::string&)>& read_file) {
  const auto variable = [&getenv](const char* name) {
    const char* value = getenv(name);
    return value ? std::string(value) : std::string();
  };
  const std::string home = variable("HOME");
  if (const std::string set = variable("XDG_PICTURES_DIR"); !set.empty()) return set;
  std::string config = variable("XDG_CONFIG_HOME");
  if (config.empty() && !home.empty()) config = home + "/.config";
  if (!config.empty()) {
    // lines such as XDG_PICTURES_DIR="$HOME/Pictures", as xdg-user-dirs writes them
    std::istringstream lines(read_file(config + "/user-dirs.dirs"));
    std::string line, found;
    const std::string key = "XDG_PICTURES_DIR=";
    while (std::getline(lines, line)) {
      if (line.rfind(key, 0) != 0) continue;
      std::string value = line.substr(key.size());
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
      if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
      found = value;
    }
    // a folder set to the home folder itself means "none" to xdg-user-dirs
    if (!found.empty() && found.front() == '/' && found != home && found != home + "/")
      return found;
  }
  return home.empty() ? std::string() : home + "/Pictures";
}

void detail::set_pictures_folder(const std::string& folder) {
  folder_for_tests() = folder;
}

std::string pictures_folder() {
  if (!folder_for_tests().empty()) return folder_for_tests();
  return detail::xdg_pictures_folder([](const char* name) { return std::getenv(name); }, text_of);
}

}  // namespace platform
