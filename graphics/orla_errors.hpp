// orla_errors: the fixed texts that the file loaders' and the sprite writer's messages start with.
#pragma once

#include <string_view>

namespace orla_errors {

// Caption of the I/O message boxes.
inline constexpr std::string_view IO_ERRORHEADLINE = "I/O ERROR";
// Explanation when a file cannot be opened or read.
inline constexpr std::string_view IO_ERRORREADACCESS =
    "File access denied !  (read or open)\r\r"
    "POSSIBLE reasons :\r"
    "- The file is missing or write-protected\r"
    "- The file is blocked by windows or another application";
// Explanation when a file cannot be created or written.
inline constexpr std::string_view IO_ERRORWRITEACCESS =
    "File access denied !  (read, open or write)\r\r"
    "POSSIBLE reasons :\r"
    "- The file is missing or write-protected\r"
    "- The file lies on a CD or another write-protected medium\r"
    "- The file is blocked by windows or another application";

static_assert(IO_ERRORREADACCESS.size() == 153);
static_assert(IO_ERRORWRITEACCESS.size() == 218);

}  // namespace orla_errors
