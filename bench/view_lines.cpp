// The matched-lines view's line finding without the window: reads the file given as it does when
// the view opens (at most its listed lines kept, the rest counted) and prints the number of
// matching lines, so that the time of opening the view can be set against grep -c.
#include <cstdio>
#include <string>

#include "search/matched_lines.h"

int main(int argc, char** argv) {
    using namespace tanmira;
    if (argc != 3) {
        std::fprintf(stderr, "usage: tanmira-view-lines-bench KEYWORD FILE\n");
        return 2;
    }
    const MatchedLines found = ReadMatchedLines(
        argv[2], PrepareKeywordForms(argv[1], KeywordEncoding::All), KeywordEncoding::All);
    if (found.end == ScanEnd::Unreadable)
        return 2;
    std::printf("%llu\n", static_cast<unsigned long long>(found.lines.size() + found.more));
    return 0;
}
