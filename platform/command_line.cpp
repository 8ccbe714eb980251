// platform: the process's command line (see command_line.hpp).
#include "command_line.hpp"

#ifdef _WIN32
#include <windows.h>
// after <windows.h>
#include <shellapi.h>
#else
#include <fstream>
#endif

namespace platform::detail {

std::vector<std::string> process_arguments() {
  std::vector<std::string> arguments;
#ifdef _WIN32
  // the wide command line: the ANSI one loses the letters outside its code page
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; words != nullptr && i < count; ++i) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, words[i], -1, nullptr, 0, nullptr, nullptr);
    std::string word(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    if (length > 0)
      WideCharToMultiByte(CP_UTF8, 0, words[i], -1, word.data(), length, nullptr, nullptr);
    word.pop_back();  // the terminating zero
    arguments.push_back(word);
  }
  if (words != nullptr) LocalFree(words);
#else
  // the kernel keeps the command line as zero-terminated words, the program name first
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string word;
  while (std::getline(in, word, '\0')) arguments.push_back(word);
  if (!arguments.empty()) arguments.erase(arguments.begin());
#endif
  return arguments;
}

}  // namespace platform::detail
