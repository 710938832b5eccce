// A temporary folder tree for tests, removed with everything in it when the object goes away.
#pragma once

#include <filesystem>
#include <string>

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

  private:
    std::string root_;
};

}  // namespace tanmira::testing
