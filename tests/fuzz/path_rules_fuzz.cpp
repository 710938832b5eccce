// Fuzz target: the path rules in both path styles, with and without Shift_JIS lead bytes.

#include "search/text_rules.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tanmira;
using fuzz::Check;

namespace {

bool IsSuffix(const std::string& part, const std::string& whole) {
    return whole.ends_with(part);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const auto [style, leads] = fuzz::ChoosePathRules(input.Byte());
    const std::string path = input.Rest();
    const char separator = platform::Separator(style);

    const std::string name = FileNamePart(path, style, leads);
    const std::string extension = ExtensionPart(path, style, leads);
    Check(IsSuffix(name, path));
    Check(IsSuffix(extension, name));
    Check(extension.empty() || extension[0] == '.');
    // No delimiter of the name part is a whole character: each is a trail byte.
    const std::size_t nameStart = path.size() - name.size();
    for (std::size_t i = nameStart; i < path.size(); ++i) {
        const char c = path[i];
        const bool delimiter = c == separator || (style == PathStyle::Windows && c == ':');
        if (delimiter)
            Check(IsTrailByte(path, i + 1, leads));
    }
    // The name part is the whole path or follows a delimiter that is a whole character.
    if (nameStart > 0) {
        const char before = path[nameStart - 1];
        Check(before == separator || (style == PathStyle::Windows && before == ':'));
        Check(!IsTrailByte(path, nameStart, leads));
    }
    // The extension starts at the name's last dot: every later "." is a trail byte.
    const std::size_t extensionStart = path.size() - extension.size();
    for (std::size_t i = extensionStart + 1; i < path.size(); ++i) {
        if (path[i] == '.')
            Check(IsTrailByte(path, i + 1, leads));
    }
    Check(!EndsInSeparator(path, style, leads) || name.empty());
    // Folding keeps the length and never touches bytes other than A-Z.
    const std::string folded = FoldCase(path, leads);
    Check(folded.size() == path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (folded[i] != path[i])
            Check(path[i] >= 'A' && path[i] <= 'Z' && folded[i] == path[i] - 'A' + 'a');
    }
    // Path rules see the same parts in the folded path.
    Check(FileNamePart(folded, style, leads).size() == name.size());
    return 0;
}
