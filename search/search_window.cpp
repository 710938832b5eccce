// The window's stored values that the core shares with every front end.
#include "search/search_window.h"

#include "search/text_rules.h"

namespace tanmira {

const std::vector<std::string>& StoredExtensionLines() {
    static const std::vector<std::string> lines = {
        "txt", "ini", "php", "cgi", "html", "htm",  "css", "js", "vbs", "asp", "C",
        "cc",  "cpp", "cs",  "h",   "hpp",  "java", "pas", "pl", "as",  "hsp", "py"};
    return lines;
}

std::string FileProgressText(int file, int total) {
    return DecimalText(file) + " / " + DecimalText(total);
}

void SearchEvents::SetFileProgress(int file, int total) {
    SetProgressText(FileProgressText(file, total));
}

}  // namespace tanmira
