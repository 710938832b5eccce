// Inside platform/ only: the operating system's change of the process's current directory, under
// the per-drive bookkeeping that every platform shares.
#pragma once

#include <string>

namespace tanmira::platform::detail {

// Makes folder (not empty) the current directory; false when the system refuses.
bool ChangeDirectory(const std::string& folder);

}  // namespace tanmira::platform::detail
