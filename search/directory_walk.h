// The directory walk: lists every entry under a folder, depth-first, each directory (marked with a
// trailing separator) before its contents.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "search/path_list.h"
#include "search/text_rules.h"

namespace tanmira {

// Attribute bits of the entries a run lists: read-only, hidden, system, volume label, directory
// and archive, and also every other bit of an ordinary file (normal, temporary, compressed, ...),
// so that no ordinary file goes unsearched. Devices, and links that lead nowhere, stay out.
inline constexpr std::uint16_t kListedAttributes =
    0xFFFF & ~(platform::kDevice | platform::kReparsePoint);

// What a walk lists.
struct WalkOptions {
    std::uint16_t mask = 0;    // attribute bits of the entries to list
    bool includeZero = false;  // also list entries whose attribute word is 0
    bool recurse = false;      // descend into subfolders
    bool markDirs = false;     // end the paths of the folder's own subfolders with the separator
                               // (below it, folders are always marked)
};

// What a walk met besides the entries it listed.
struct WalkOutcome {
    std::vector<std::string> unopened;  // folders that exist but could not be read, as paths
                                        // ending in the separator, in walk order
    bool stopped = false;               // the progress call asked to stop
};

// Called after each folder has been read, with the number of entries now in the list; gives
// false to stop the walk there.
using WalkProgress = std::function<bool(int listed)>;

// Appends to list the entries of dir whose attribute word shares a bit with options.mask (or is
// 0, when includeZero), in the platform's listing order, descending into subfolders when
// recursing. The walk holds no folder open while it descends. A folder already on the current
// descent path (a cycle of links), or that belongs to a kernel pseudo file system other than the
// one dir lies in, is listed but not entered. Inside a kernel pseudo file system, symbolic links
// are reparse points that are never followed, and files whose reading consumes what they return
// are devices (see platform::ListFolder).
WalkOutcome WalkFolder(const std::string& dir, const WalkOptions& options, PathList& list,
                       const WalkProgress& progress = nullptr);

// Whether name, as a walk lists it, is a folder's: it ends in the separator as a whole character
// (a name whose last double-byte character has the separator's byte as trail byte is a file's).
bool IsFolderEntry(std::string_view name, PathStyle style = platform::kNativePathStyle,
                   const LeadByteTable& leadBytes = platform::SystemLeadBytes());

// Keeps the files of a walk's list, dropping its folder entries in place (a walk over a whole
// disk lists millions of entries: no second list), without touching any entry.
void DropFolders(PathList& list, PathStyle style = platform::kNativePathStyle,
                 const LeadByteTable& leadBytes = platform::SystemLeadBytes());

}  // namespace tanmira
