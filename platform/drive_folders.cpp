// Entering folders and drives, with the folder last current on each drive remembered by the
// program itself: Windows keeps such a folder per drive letter only through environment entries
// that not every C runtime maintains, and POSIX has no drives at all.
#include <map>

#include "platform/current_directory.h"
#include "platform/platform.h"

namespace tanmira::platform {

namespace {

// The folder last current on each drive, by drive root.
std::map<std::string, std::string>& RememberedFolders() {
    static std::map<std::string, std::string> folders;
    return folders;
}

}  // namespace

bool EnterFolder(const std::string& folder) {
    if (folder.empty() || !detail::ChangeDirectory(folder))
        return false;
    const std::string now = CurrentDirectory();
    if (!now.empty())
        RememberedFolders()[DriveOf(now)] = now;
    return true;
}

bool EnterDrive(const std::string& root) {
    // The drive of the current directory keeps it as its current folder.
    const std::string now = CurrentDirectory();
    if (!now.empty() && DriveOf(now) == root)
        return true;
    const auto found = RememberedFolders().find(root);
    if (found != RememberedFolders().end() && EnterFolder(found->second))
        return true;
    return EnterFolder(root);
}

}  // namespace tanmira::platform
