// platform (Windows): the units' UTF-8 texts and Windows' UTF-16 ones.
#pragma once

#include <string>

namespace platform::detail {

// UTF-16 of a UTF-8 text (an invalid sequence becomes U+FFFD).
std::wstring widen(const std::string& text);
// UTF-8 of a UTF-16 text.
std::string narrow(const std::wstring& text);

}  // namespace platform::detail
