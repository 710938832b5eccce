// PathList: folders, names and the in-place compaction.
#include "search/path_list.h"

#include <utility>

namespace tanmira {

std::uint32_t PathList::AddFolder(std::string path) {
    folders_.push_back(std::move(path));
    return static_cast<std::uint32_t>(folders_.size() - 1);
}

void PathList::Append(std::uint32_t folder, std::string_view name) {
    names_.append(name);
    nameEnds_.push_back(names_.size());
    folderOf_.push_back(folder);
}

void PathList::Clear() {
    std::vector<std::string>().swap(folders_);
    std::string().swap(names_);
    std::vector<std::uint64_t>().swap(nameEnds_);
    std::vector<std::uint32_t>().swap(folderOf_);
}

std::string_view PathList::NameAt(std::size_t i) const {
    const std::size_t start = i == 0 ? 0 : nameEnds_[i - 1];
    return std::string_view(names_).substr(start, nameEnds_[i] - start);
}

void PathList::PathInto(std::size_t i, std::string& path) const {
    path.assign(FolderAt(i));
    path.append(NameAt(i));
}

std::string PathList::PathAt(std::size_t i) const {
    std::string path;
    PathInto(i, path);
    return path;
}

void PathList::KeepIf(const std::function<bool(std::string_view name)>& keep) {
    std::size_t kept = 0;
    std::size_t keptEnd = 0;  // of the kept names, moved down over the dropped ones
    std::size_t start = 0;
    for (std::size_t i = 0; i < folderOf_.size(); ++i) {
        const std::size_t end = nameEnds_[i];
        const std::string_view name(names_.data() + start, end - start);
        start = end;
        if (!keep(name))
            continue;
        std::char_traits<char>::move(names_.data() + keptEnd, name.data(), name.size());
        keptEnd += name.size();
        nameEnds_[kept] = keptEnd;
        folderOf_[kept] = folderOf_[i];
        ++kept;
    }
    names_.resize(keptEnd);
    nameEnds_.resize(kept);
    folderOf_.resize(kept);
}

}  // namespace tanmira
