// Inside platform/win32 only: the form in which a path of the core (UTF-8) is handed to the wide
// Win32 functions.
#pragma once

#include <optional>
#include <string>

namespace tanmira::platform::detail {

// The path made absolute and normalised as the system does ("/" to "\", "." and ".." resolved,
// relative to the current directory), with the "\\?\" prefix ("\\?\UNC\" for a network path)
// that takes it past the 260-character limit. An absolute path that is normal already keeps its
// names exactly (a trailing "." or " " included); a path already in the system's device form
// (\\?\, \\.\) is left as it is. Nothing when path is not UTF-8 or cannot be resolved (empty).
std::optional<std::wstring> WidePath(const std::string& path);

}  // namespace tanmira::platform::detail
