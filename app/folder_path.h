// Path rules of the folder chooser as pure text work: how a typed text becomes the folder to
// enter, which lines the folder list shows for a folder, and how drives are named and compared.
// Every rule takes a path style, so the Windows forms are tested on every host.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace tanmira {

// Answers whether a path names an existing entry that is not a folder.
class PathProbe {
  public:
    virtual ~PathProbe() = default;
    virtual bool FileExists(const std::string& path) const = 0;
};

// The probe that asks the file system.
class SystemPathProbe : public PathProbe {
  public:
    bool FileExists(const std::string& path) const override;
};

// Where a typed text leads.
struct FolderTarget {
    // The root of the drive named by a letter drive part ("d:\"); empty when the text has none
    // (the current folder's drive, or a network share).
    std::string driveRoot;
    // The folder to enter, as typed (drive part kept) with a wildcard or file last component
    // dropped; relative texts are taken from the current folder. Empty: stay on the current
    // folder of the target drive.
    std::string folder;
};

// Resolves a typed text. "[path]" is path on the current drive; a last component holding "*"
// or "?" or naming an existing file is dropped, leaving the folder that holds it.
FolderTarget ResolveFolderText(
    const std::string& text, platform::PathStyle style, const PathProbe& probe,
    const platform::LeadByteTable& leadBytes = platform::SystemLeadBytes());

// A typed text with "~" (alone or followed by a separator) taken as the home folder home;
// other texts, and every text when home is empty, as they are.
std::string ExpandHome(const std::string& text, const std::string& home, platform::PathStyle style);

// The user's home folder (HOME on POSIX, USERPROFILE on Windows); empty when it is not set.
std::string HomeFolder(platform::PathStyle style = platform::kNativePathStyle);

// Makes the folder that a typed text names ("~" being the home folder) the current directory, the
// text read from directory: a target on another drive letter starts from that drive's current
// folder (the drive cannot be entered: directory stays current), and the target folder is entered
// whole or not at all. The folder shown afterwards is the current directory as the system reports
// it.
void EnterTypedFolder(const std::string& directory, const std::string& text,
                      platform::PathStyle style = platform::kNativePathStyle);

// True when two drive roots name the same drive: the same letter ignoring case on Windows (so a
// folder stands for its drive there), the same mount point on POSIX.
bool SameDrive(const std::string& a, const std::string& b, platform::PathStyle style);

// True when the target names a drive letter other than the drive of directory.
bool OnOtherDrive(const FolderTarget& target, const std::string& directory,
                  platform::PathStyle style);

// True when a typed text names the shown folder: compared ignoring ASCII letter case unless the
// volume distinguishes it.
bool SameFolderText(const std::string& text, const std::string& directory, bool caseSensitive);

// Kinds of line of the folder list.
enum class LineKind { PathFolder, CurrentFolder, Subfolder };

// One line of the folder list: what it shows, the folder it stands for and its indentation.
struct FolderLine {
    LineKind kind;
    std::string text;
    std::string folder;
    int level;
};

// The root line, the path-folder lines and the current-folder line of directory. A root is its
// own single current-folder line.
std::vector<FolderLine> PathLines(
    const std::string& directory, platform::PathStyle style,
    const platform::LeadByteTable& leadBytes = platform::SystemLeadBytes());

// The folder named name inside folder, with one separator between them.
std::string JoinFolder(const std::string& folder, const std::string& name,
                       platform::PathStyle style,
                       const platform::LeadByteTable& leadBytes = platform::SystemLeadBytes());

// The text of a drive selector item: "c: [label]" on Windows (lower case, the letter alone for
// removable drives, the share for network drives); "mount point [label]" on POSIX.
std::string DriveItemText(const platform::Drive& drive, const std::string& label,
                          const std::string& remoteName, platform::PathStyle style);

}  // namespace tanmira
