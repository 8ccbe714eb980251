// vexel: where the program finds its four files (pictures and font), in the chosen language.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "file_open.hpp"
#include "vexel.hpp"

namespace vexel::detail {

namespace {

// Names and folders are UTF-8 texts, turned into paths by utf8_path: on Windows a folder named
// with Hungarian letters is then found through its wide path.
bool readable(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::FILE* f = orla::detail::open_file(path, "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

std::optional<std::string> find(const std::string& name, const std::string& executable) {
  // changed: the files were read from the working directory only; an installed program is
  // started from anywhere, so its own folder and the installed data folder come next
  if (readable(orla::detail::utf8_path(name))) return name;
  if (!executable.empty()) {
    const std::filesystem::path folder = orla::detail::utf8_path(executable).parent_path();
    const std::filesystem::path file = orla::detail::utf8_path(name);
    for (const auto& candidate : {folder / file, folder / ".." / "share" / "vexel" / file})
      if (readable(candidate)) return orla::detail::path_utf8(candidate.lexically_normal());
  }
  return std::nullopt;
}

}  // namespace

std::string program_file_in(const std::string& name, const std::string& executable, language lang) {
  // the chosen language wherever it is; a picture not made in it is shown in Hungarian
  if (const std::string folder = language_folder(lang); !folder.empty())
    if (auto found = find(folder + name, executable)) return *found;
  if (auto found = find(name, executable)) return *found;
  // found nowhere: the loader's message names the file as the program asked for it
  return name;
}

std::string program_file(const std::string& name) {
  static const std::string executable = orla::detail::path_utf8(orla::detail::running_program());
  return program_file_in(name, executable, picture_language);
}

}  // namespace vexel::detail
