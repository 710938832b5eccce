// Temporary folder trees for tests: their removal on Windows.
#include "tests/support/temp_tree.h"

namespace tanmira::testing {

void TempTree::RemoveTree(const std::string& root) {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

}  // namespace tanmira::testing
