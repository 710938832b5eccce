// A walk's path list read back as full paths, for comparing with expected lists.
#pragma once

#include <string>
#include <vector>

#include "search/path_list.h"

namespace tanmira::testing {

inline std::vector<std::string> PathsOf(const PathList& list) {
    std::vector<std::string> paths;
    for (int i = 0; i < list.LineCount(); ++i)
        paths.push_back(list.PathAt(static_cast<std::size_t>(i)));
    return paths;
}

}  // namespace tanmira::testing
