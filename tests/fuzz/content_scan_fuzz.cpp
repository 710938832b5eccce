// Fuzz target: the content scan, reading in pieces of random size, gives for several keywords
// what the literal rules give: load the text as a string list, join with CR LF, fold, find; for a
// keyword in UTF-16 units, fold the whole text by units and find at an even offset.
#include <sys/mman.h>
#include <unistd.h>

#include "search/content_scan.h"
#include "search/string_list.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/literal_rules.h"

using namespace tanmira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::size_t pieceSize = 1 + input.Byte() % 64;
    const int count = 1 + input.Byte() % 4;
    std::vector<PreparedKeyword> keywords;
    for (int k = 0; k < count; ++k) {
        const std::uint8_t flags = input.Byte();
        const CodeUnit units[] = {CodeUnit::Byte, CodeUnit::Utf16Le, CodeUnit::Utf16Be};
        keywords.push_back(
            {input.String(12), (flags & 1) == 0, (flags & 2) != 0, 0, units[(flags >> 2) % 3]});
    }
    const std::string content = input.Rest();

    // The file lives in memory, reached through its descriptor's path.
    static const int fd = memfd_create("content", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    fuzz::Check(ftruncate(fd, 0) == 0 && pwrite(fd, content.data(), content.size(), 0) ==
                                             static_cast<ssize_t>(content.size()));

    std::vector<ContentPattern> patterns(keywords.begin(), keywords.end());
    std::vector<const ContentPattern*> pointers;
    for (const ContentPattern& pattern : patterns)
        pointers.push_back(&pattern);
    ContentScanner scanner(pieceSize);
    const std::optional<GroupFlags> found = scanner.Scan(path, pointers);
    fuzz::Check(found && found->size() == keywords.size());
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        fuzz::Check((*found)[k] == LiteralRuleFindsInText(keywords[k], content));
    }
    return 0;
}
