// The window's stored values that the core shares with every front end.
#include "search/search_window.h"

namespace tanmira {

const std::vector<std::string>& StoredExtensionLines() {
    static const std::vector<std::string> lines = {
        "txt", "ini", "php", "cgi", "html", "htm",  "css", "js", "vbs", "asp", "C",
        "cc",  "cpp", "cs",  "h",   "hpp",  "java", "pas", "pl", "as",  "hsp", "py"};
    return lines;
}

}  // namespace tanmira
