// Temporary folder trees for tests: the POSIX parts (links, chains past the path limit, and a
// removal that works on open folders).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/temp_tree.h"

namespace tanmira::testing {

namespace {

// Removes the entry name of the folder open as parent, with everything in it.
void RemoveEntry(int parent, const char* name) {
    if (unlinkat(parent, name, 0) == 0)
        return;
    // A folder without permissions gets them back to be emptied; if it cannot, openat fails.
    [[maybe_unused]] const int opened = fchmodat(parent, name, 0700, 0);
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0)
        return;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string child = entry->d_name;
        if (child != "." && child != "..")
            RemoveEntry(fd, child.c_str());
    }
    closedir(dir);
    unlinkat(parent, name, AT_REMOVEDIR);
}

}  // namespace

void TempTree::RemoveTree(const std::string& root) {
    RemoveEntry(AT_FDCWD, root.c_str());
}

std::string TempTree::Link(const std::string& relative, const std::string& target) {
    const std::string path = Path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::create_symlink(target, path);
    return path;
}

std::vector<std::string> TempTree::DeepChain(const std::string& relative, int levels,
                                             std::size_t nameLength, const std::string& fileName,
                                             const std::string& bytes) {
    const std::string name(nameLength, 'd');
    std::string path = Folder(relative);
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<std::string> files;
    for (int level = 0; level < levels && fd >= 0; ++level) {
        mkdirat(fd, name.c_str(), 0755);
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        path += "/" + name;
        const int file = openat(fd, fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool written = file >= 0 && write(file, bytes.data(), bytes.size()) ==
                                              static_cast<ssize_t>(bytes.size());
        if (file >= 0)
            close(file);
        if (!written) {
            close(fd);
            throw std::runtime_error("cannot write " + fileName + " in a deep chain");
        }
        files.push_back(path + "/" + fileName);
    }
    if (fd < 0)
        throw std::runtime_error("cannot build a deep chain");
    close(fd);
    return files;
}

}  // namespace tanmira::testing
