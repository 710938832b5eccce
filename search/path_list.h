// PathList: the walk's list of entries in walk order, each folder's path stored once and each
// entry as its name and the index of its folder, so that a walk over millions of entries costs
// little more than their names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tanmira {

class PathList {
  public:
    // Stores a folder's path (ending in the separator) for the entries appended with the index
    // this gives.
    std::uint32_t AddFolder(std::string path);

    // Appends the entry named name in folder, an index that AddFolder gave.
    void Append(std::uint32_t folder, std::string_view name);

    // Removes every entry and folder and releases their storage.
    void Clear();

    int LineCount() const { return static_cast<int>(folderOf_.size()); }

    // Entry i's name (as appended) and its folder's path.
    std::string_view NameAt(std::size_t i) const;
    const std::string& FolderAt(std::size_t i) const { return folders_[folderOf_[i]]; }

    // Entry i's full path, written over path: a loop over the list builds every path in one
    // buffer instead of allocating one string each.
    void PathInto(std::size_t i, std::string& path) const;
    std::string PathAt(std::size_t i) const;

    // Keeps, in order, the entries whose name keep holds for, in place: no second list.
    void KeepIf(const std::function<bool(std::string_view name)>& keep);

  private:
    std::vector<std::string> folders_;
    std::string names_;                    // every entry's name, one after the other
    std::vector<std::uint64_t> nameEnds_;  // where entry i's name ends in names_
    std::vector<std::uint32_t> folderOf_;  // entry i's index in folders_
};

}  // namespace tanmira
