// Temporary folder trees for tests.
#include "tests/support/temp_tree.h"

#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/platform.h"

namespace tanmira::testing {

namespace {

constexpr char kSeparator = platform::Separator(platform::kNativePathStyle);

}  // namespace

TempTree::TempTree() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("tanmira-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            root_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempTree::~TempTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TempTree::Path(const std::string& relative) const {
    std::string path = root_ + kSeparator + relative;
    for (std::size_t i = root_.size(); i < path.size(); ++i) {
        if (path[i] == '/')
            path[i] = kSeparator;
    }
    return path;
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
