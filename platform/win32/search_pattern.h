// Inside platform/win32 only: the FindFirstFileA pattern that lists every entry of a folder.
#pragma once

#include <string>

namespace tanmira::platform::detail {

// folder followed by "\*.*", or by "*.*" alone when folder already ends in a separator or a drive
// colon; a 0x5C byte that is the second byte of a double-byte character is no separator.
std::string SearchPattern(const std::string& folder);

}  // namespace tanmira::platform::detail
