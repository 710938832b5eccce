// Path rules of the folder chooser.
#include "app/folder_path.h"

#include <cstdlib>

#include "search/text_rules.h"

namespace tanmira {

using platform::PathStyle;
using platform::Separator;

namespace {

bool IsWindows(PathStyle style) {
    return style == PathStyle::Windows;
}

// True when the 0-based byte j of s is a separator, not the trail byte of a double-byte character.
bool IsSeparatorAt(const std::string& s, std::size_t j, PathStyle style,
                   const platform::LeadByteTable& leadBytes) {
    return s[j] == Separator(style) && !IsTrailByte(s, j + 1, leadBytes);
}

// True when folder is a root by itself: "\", "c:\" or "/".
bool IsBareRoot(const std::string& folder, PathStyle style) {
    if (folder.size() == 1)
        return folder[0] == Separator(style);
    return IsWindows(style) && folder.size() == 3 && folder[1] == ':' && folder[2] == '\\';
}

// Length of the root of directory: "c:\" or "\\server\share\" on Windows, "/" on POSIX; 0 when
// it has none.
std::size_t RootLength(const std::string& dir, PathStyle style,
                       const platform::LeadByteTable& leadBytes) {
    if (!IsWindows(style))
        return !dir.empty() && dir[0] == '/' ? 1 : 0;
    if (dir.size() >= 2 && IsAsciiLetter(dir[0]) && dir[1] == ':')
        return dir.size() >= 3 && dir[2] == '\\' ? 3 : 2;
    if (dir.rfind("\\\\", 0) != 0)
        return dir.empty() || dir[0] != '\\' ? 0 : 1;
    // A share: two backslashes, the server, a backslash, the share and the backslash after it.
    int separators = 0;
    for (std::size_t j = 2; j < dir.size(); ++j) {
        if (IsSeparatorAt(dir, j, style, leadBytes) && ++separators == 2)
            return j + 1;
    }
    return dir.size();
}

}  // namespace

bool SystemPathProbe::FileExists(const std::string& path) const {
    return platform::FileExists(path);
}

FolderTarget ResolveFolderText(const std::string& text, PathStyle style, const PathProbe& probe,
                               const platform::LeadByteTable& leadBytes) {
    FolderTarget target;
    std::string path = text;
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        path = text.substr(1, text.size() - 2);
    else if (IsWindows(style) && text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':')
        target.driveRoot = std::string{LowerAscii(text[0]), ':', '\\'};

    const std::string last = FileNamePart(path, style, leadBytes);
    if (last.find_first_of("*?") == std::string::npos && !probe.FileExists(path)) {
        target.folder = path;
        return target;
    }
    target.folder = path.substr(0, path.size() - last.size());
    while (!target.folder.empty() && !IsBareRoot(target.folder, style) &&
           EndsInSeparator(target.folder, style, leadBytes))
        target.folder.pop_back();
    return target;
}

std::string ExpandHome(const std::string& text, const std::string& home, PathStyle style) {
    if (home.empty() || text.empty() || text[0] != '~')
        return text;
    if (text.size() == 1)
        return home;
    // "~/" and, on Windows, "~\" too; "~name" is a folder of that name.
    if (text[1] != Separator(style) && text[1] != '/')
        return text;
    const std::string rest = text.substr(2);
    return rest.empty() ? home : JoinFolder(home, rest, style);
}

std::string HomeFolder(PathStyle style) {
    const char* home = std::getenv(IsWindows(style) ? "USERPROFILE" : "HOME");
    return home != nullptr ? home : std::string();
}

void EnterTypedFolder(const std::string& directory, const std::string& text, PathStyle style) {
    // Relative texts and the file probe are taken from the folder shown.
    platform::EnterFolder(directory);
    const FolderTarget target =
        ResolveFolderText(ExpandHome(text, HomeFolder(style), style), style, SystemPathProbe());
    if (OnOtherDrive(target, directory, style) && !platform::EnterDrive(target.driveRoot))
        return;
    // Only the whole target is entered: a failure leaves the current directory as it was.
    if (!target.folder.empty())
        platform::EnterFolder(target.folder);
}

bool SameDrive(const std::string& a, const std::string& b, PathStyle style) {
    if (!IsWindows(style))
        return a == b;
    return !a.empty() && !b.empty() && LowerAscii(a[0]) == LowerAscii(b[0]);
}

bool OnOtherDrive(const FolderTarget& target, const std::string& directory, PathStyle style) {
    return !target.driveRoot.empty() && !SameDrive(target.driveRoot, directory, style);
}

bool SameFolderText(const std::string& text, const std::string& directory, bool caseSensitive) {
    if (caseSensitive)
        return text == directory;
    return FoldCase(text, NoLeadBytes()) == FoldCase(directory, NoLeadBytes());
}

std::vector<FolderLine> PathLines(const std::string& directory, PathStyle style,
                                  const platform::LeadByteTable& leadBytes) {
    const std::size_t rootLength = RootLength(directory, style, leadBytes);
    std::string root = directory.substr(0, rootLength);
    if (root.empty() || !EndsInSeparator(root, style, leadBytes))
        root += Separator(style);

    std::vector<FolderLine> lines{{LineKind::PathFolder, root, root, 0}};
    std::string folder = root;
    std::size_t start = rootLength;
    for (std::size_t j = rootLength; j <= directory.size(); ++j) {
        if (j < directory.size() && !IsSeparatorAt(directory, j, style, leadBytes))
            continue;
        if (j > start) {
            const std::string name = directory.substr(start, j - start);
            folder = JoinFolder(folder, name, style, leadBytes);
            lines.push_back({LineKind::PathFolder, name, folder, static_cast<int>(lines.size())});
        }
        start = j + 1;
    }
    lines.back().kind = LineKind::CurrentFolder;
    return lines;
}

std::string JoinFolder(const std::string& folder, const std::string& name, PathStyle style,
                       const platform::LeadByteTable& leadBytes) {
    // Only a root ends in a separator.
    if (EndsInSeparator(folder, style, leadBytes))
        return folder + name;
    return folder + Separator(style) + name;
}

std::string DriveItemText(const platform::Drive& drive, const std::string& label,
                          const std::string& remoteName, PathStyle style) {
    using platform::DriveType;
    if (!IsWindows(style)) {
        if (drive.type == DriveType::Removable)
            return drive.root;
        if (drive.type == DriveType::Remote && !remoteName.empty())
            return drive.root + " " + remoteName;
        return drive.root + " [" + label + "]";
    }
    const std::string letter{LowerAscii(drive.root.empty() ? ' ' : drive.root[0]), ':'};
    if (drive.type == DriveType::Removable)
        return letter;
    if (drive.type == DriveType::Remote && !remoteName.empty())
        return letter + " " + FoldCase(remoteName);
    return letter + " [" + FoldCase(label) + "]";
}

}  // namespace tanmira
