// The directory walk over the platform's folder listing.
#include "search/directory_walk.h"

#include <algorithm>

#include "platform/platform.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

std::string WithSeparator(std::string path) {
    if (!EndsInSeparator(path))
        path += platform::Separator(platform::kNativePathStyle);
    return path;
}

template <typename T>
bool Holds(const std::vector<T>& items, const T& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

class Walker {
  public:
    Walker(const WalkOptions& options, PathList& list, const WalkProgress& progress)
        : options_(options),
          list_(list),
          progress_(progress),
          kernelDevices_(platform::PseudoFileSystemDevices()) {}

    // Lists folder (which ends in the separator); depth is 0 for the folder searched.
    void Walk(const std::string& folder, int depth) {
        platform::FolderListing listing =
            platform::ListFolder(folder, options_.mask, kernelDevices_);
        if (listing.result == platform::ListingResult::Missing)
            return;
        if (depth == 0 && options_.recurse)
            ExemptSearchedFileSystem(listing.folderId.device);
        if (depth > 0 &&
            (Holds(ancestors_, listing.folderId) || Holds(notEntered_, listing.folderId.device)))
            return;
        if (listing.result == platform::ListingResult::Unreadable)
            outcome_.unopened.push_back(folder);
        if (progress_ && !progress_(list_.LineCount())) {
            outcome_.stopped = true;
            return;
        }
        const bool mark = options_.markDirs || depth > 0;
        const std::uint32_t folderIndex = list_.AddFolder(folder);
        std::string name;  // the entry's name as listed, marked when it is a folder
        ancestors_.push_back(listing.folderId);
        for (const platform::DirEntry& entry : listing.entries) {
            if (outcome_.stopped)
                break;
            const bool isDirectory = (entry.attributes & platform::kDirectory) != 0;
            name.assign(entry.name);
            if (isDirectory && mark && !EndsInSeparator(name))
                name += platform::Separator(platform::kNativePathStyle);
            const bool listed = (entry.attributes & options_.mask) != 0 ||
                                (entry.attributes == 0 && options_.includeZero);
            if (listed)
                list_.Append(folderIndex, name);
            if (options_.recurse && isDirectory)
                Walk(WithSeparator(folder + entry.name), depth + 1);
        }
        ancestors_.pop_back();
    }

    WalkOutcome& Outcome() { return outcome_; }

  private:
    // The kernel pseudo file systems are not entered, but for the one the search starts in.
    void ExemptSearchedFileSystem(std::uint64_t device) {
        notEntered_ = kernelDevices_;
        std::erase(notEntered_, device);
    }

    const WalkOptions& options_;
    PathList& list_;
    const WalkProgress& progress_;
    WalkOutcome outcome_;
    std::vector<platform::FileId> ancestors_;         // the folders being walked, outermost first
    const std::vector<std::uint64_t> kernelDevices_;  // kernel pseudo file systems: links there
                                                      // are listed, never followed
    std::vector<std::uint64_t> notEntered_;
};

}  // namespace

WalkOutcome WalkFolder(const std::string& dir, const WalkOptions& options, PathList& list,
                       const WalkProgress& progress) {
    Walker walker(options, list, progress);
    walker.Walk(WithSeparator(dir), 0);
    return std::move(walker.Outcome());
}

bool IsFolderEntry(std::string_view name, PathStyle style, const LeadByteTable& leadBytes) {
    // A folder's path ends in a whole separator, so its entries' names start on a character.
    return EndsInSeparator(name, style, leadBytes);
}

void DropFolders(PathList& list, PathStyle style, const LeadByteTable& leadBytes) {
    list.KeepIf([&](std::string_view name) { return !IsFolderEntry(name, style, leadBytes); });
}

}  // namespace tanmira
