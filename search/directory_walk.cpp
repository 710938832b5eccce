// The directory walk over the platform's folder enumeration.
#include "search/directory_walk.h"

#include <vector>

#include "platform/platform.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

struct WalkOptions {
    std::uint16_t mask;
    bool includeZero;
    bool recurse;
    bool markDirs;
};

std::string WithSeparator(std::string path) {
    if (!EndsInSeparator(path))
        path += platform::Separator(platform::kNativePathStyle);
    return path;
}

bool OnPath(const std::vector<platform::FileId>& ancestors, const platform::FileId& id) {
    for (const platform::FileId& a : ancestors) {
        if (a == id)
            return true;
    }
    return false;
}

// Lists folder (which ends in the separator) into list; ancestors holds the folders being walked.
void Walk(const std::string& folder, const WalkOptions& options, TStringList& list,
          std::vector<platform::FileId>& ancestors) {
    platform::FolderEnumeration enumeration(folder);
    if (!enumeration.Started())
        return;
    ancestors.push_back(enumeration.FolderId());
    platform::DirEntry entry;
    while (enumeration.Next(entry)) {
        if (entry.name == "." || entry.name == "..")
            continue;
        std::string path = folder + entry.name;
        const bool isDirectory = (entry.attributes & platform::kDirectory) != 0;
        if (isDirectory && options.markDirs)
            path = WithSeparator(std::move(path));
        if ((entry.attributes & options.mask) != 0 ||
            (entry.attributes == 0 && options.includeZero))
            list.AppendLine(path);
        if (options.recurse && isDirectory && !OnPath(ancestors, entry.id))
            Walk(WithSeparator(path), options, list, ancestors);
    }
    ancestors.pop_back();
}

}  // namespace

void ListFiles(const std::string& Dir, std::uint16_t Mask, bool IncludeZero, bool ClearList,
               TStringList& List, bool Recurse, bool MarkDirs) {
    if (ClearList)
        List.ClearLines();
    std::vector<platform::FileId> ancestors;
    Walk(WithSeparator(Dir), WalkOptions{Mask, IncludeZero, Recurse, MarkDirs}, List, ancestors);
}

}  // namespace tanmira
