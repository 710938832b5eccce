// Fuzz target: the folder chooser's resolution of a typed text and the lines it shows for a
// folder, in both path styles, with and without Shift_JIS lead bytes.

#include "app/folder_path.h"
#include "search/text_rules.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tanmira;
using fuzz::Check;
using platform::PathStyle;

namespace {

// Takes every path whose file-name part starts with "f" for an existing file.
class FakeProbe : public PathProbe {
  public:
    FakeProbe(PathStyle style, const LeadByteTable& leads) : style_(style), leads_(leads) {}
    bool FileExists(const std::string& path) const override {
        return FileNamePart(path, style_, leads_).starts_with("f");
    }

  private:
    PathStyle style_;
    const LeadByteTable& leads_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const auto [style, leads] = fuzz::ChoosePathRules(input.Byte());
    const std::string text = input.Rest();
    const FakeProbe probe(style, leads);

    const FolderTarget target = ResolveFolderText(text, style, probe, leads);
    const bool bracketed = text.size() >= 2 && text.front() == '[' && text.back() == ']';
    const std::string path = bracketed ? text.substr(1, text.size() - 2) : text;
    // The folder is the typed path, or a beginning of it that leaves out its last component.
    Check(path.starts_with(target.folder));
    const std::string last = FileNamePart(path, style, leads);
    if (target.folder != path) {
        Check(last.find_first_of("*?") != std::string::npos || probe.FileExists(path));
        Check(target.folder.size() <= path.size() - last.size());
    }
    // A drive part is a lower-case letter's root, and only in the Windows style.
    if (!target.driveRoot.empty()) {
        Check(style == PathStyle::Windows && target.driveRoot.size() == 3);
        Check(target.driveRoot[0] >= 'a' && target.driveRoot[0] <= 'z');
        Check(target.driveRoot.substr(1) == ":\\");
    }

    // The lines of a folder: the root first, each level one deeper, the current folder last,
    // each line's folder the one before it followed by its text.
    const std::vector<FolderLine> lines = PathLines(path, style, leads);
    Check(!lines.empty());
    Check(lines.back().kind == LineKind::CurrentFolder);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Check(lines[i].level == static_cast<int>(i));
        Check(!lines[i].text.empty());
        if (i == 0)
            continue;
        Check(lines[i].folder.starts_with(lines[i - 1].folder));
        Check(lines[i].folder.ends_with(lines[i].text));
    }
    return 0;
}
