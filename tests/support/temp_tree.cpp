// Temporary folder trees for tests.
#include "tests/support/temp_tree.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace tanmira::testing {

TempTree::TempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tanmira-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
}

TempTree::~TempTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TempTree::Path(const std::string& relative) const {
    return root_ + "/" + relative;
}

std::string TempTree::File(const std::string& relative, const std::string& bytes) {
    const std::string path = Path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string TempTree::Folder(const std::string& relative) {
    const std::string path = Path(relative);
    std::filesystem::create_directories(path);
    return path;
}

}  // namespace tanmira::testing
