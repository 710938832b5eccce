// A temporary folder tree for tests, removed with everything in it when the object goes away.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tanmira::testing {

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root folder, without a trailing separator.
    const std::string& Root() const { return root_; }

    // Root, the separator and relative (whose "/" become the native separator).
    std::string Path(const std::string& relative) const;

    // Writes a file (creating its folders) holding bytes; gives its full path.
    std::string File(const std::string& relative, const std::string& bytes = "");

    // Creates a folder (and its parents); gives its full path.
    std::string Folder(const std::string& relative);

    // POSIX only: creates a symbolic link at relative pointing to target (taken as written);
    // gives its path.
    std::string Link(const std::string& relative, const std::string& target);

    // Creates a chain of levels nested folders under relative, each named by nameLength copies
    // of "d", with a file fileName holding bytes in every level, so that the chain may go deeper
    // than the system's path limit (relative to open folders on POSIX, with long paths on
    // Windows). Gives the files' full paths, shallowest first.
    std::vector<std::string> DeepChain(const std::string& relative, int levels,
                                       std::size_t nameLength, const std::string& fileName,
                                       const std::string& bytes);

  private:
    // Removes root with everything in it, chains past the path limit included; on POSIX also
    // folders without permission.
    static void RemoveTree(const std::string& root);

    std::string root_;
};

}  // namespace tanmira::testing
