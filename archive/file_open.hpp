// file_open: file names as the units keep them (UTF-8 texts) turned into paths and open files;
// on Windows through the wide functions, so that every letter of a name reaches the file system
// whatever the ANSI code page.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace orla::detail {

// The path a UTF-8 text names.
std::filesystem::path utf8_path(const std::string& text);
// The UTF-8 text of a path.
std::string path_utf8(const std::filesystem::path& path);
// std::fopen of a path; "x" in the mode (after "w") creates the file only where none exists,
// failing with errno EEXIST otherwise, on every system.
std::FILE* open_file(const std::filesystem::path& path, const char* mode);

// The running program's own file; empty when the system does not tell.
std::filesystem::path running_program();

}  // namespace orla::detail
