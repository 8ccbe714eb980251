// platform: the process's command line, as the system keeps it.
#pragma once

#include <string>
#include <vector>

namespace platform::detail {

// The process's arguments without the program name, in UTF-8: Linux's /proc/self/cmdline,
// Windows' wide command line split as the C runtime splits it.
std::vector<std::string> process_arguments();

}  // namespace platform::detail
