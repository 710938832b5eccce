// The subfolders that the folder chooser shows, from the platform's folder listing.
#include "platform/platform.h"

namespace tanmira::platform {

std::vector<std::string> Subfolders(const std::string& folder) {
    std::vector<std::string> names;
    for (DirEntry& entry : ListFolder(folder, kDirectory).entries) {
        if ((entry.attributes & kDirectory) == 0 ||
            (entry.attributes & (kHidden | kSystem | kVolumeLabel)) != 0)
            continue;
        names.push_back(std::move(entry.name));
    }
    return names;
}

}  // namespace tanmira::platform
