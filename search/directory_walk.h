// The directory walk: lists every entry under a folder as full paths, depth-first, each
// directory (marked with a trailing separator) before its contents.
#pragma once

#include <cstdint>
#include <string>

#include "search/string_list.h"

namespace tanmira {

// Appends to List the entries of Dir whose attribute word shares a bit with Mask (or is 0, when
// IncludeZero), descending into subfolders when Recurse. ClearList empties List first; MarkDirs
// ends directory paths with the separator. A folder that cannot be enumerated contributes
// nothing. A folder already on the current descent path (a cycle of links) is listed but not
// entered again.
void ListFiles(const std::string& Dir, std::uint16_t Mask, bool IncludeZero, bool ClearList,
               TStringList& List, bool Recurse, bool MarkDirs);

}  // namespace tanmira
