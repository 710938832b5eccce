// Operating system services used by the search core and the folder chooser: folder enumeration
// with attribute words, file reading, code pages and conversions, current directory and drives,
// the standard streams of the command line and the memory of another process.
// One header for every platform; posix/ and win32/ hold the implementations.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tanmira::platform {

// ---- Paths -----------------------------------------------------------------------------------

// How paths are written: Windows uses "\" as separator and ":" after a drive letter; POSIX "/".
enum class PathStyle { Windows, Posix };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// The separator byte of a path style.
constexpr char Separator(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

// ---- Code pages --------------------------------------------------------------------------------

// Which bytes open a double-byte character in a code page.
using LeadByteTable = std::bitset<256>;

// Lead bytes of the system code page (none on POSIX, where the system code page is UTF-8).
const LeadByteTable& SystemLeadBytes();

// Lead bytes of Shift_JIS (CP932): 0x81-0x9F and 0xE0-0xFC.
const LeadByteTable& ShiftJisLeadBytes();

// Code pages between which texts are converted. The UTF-16 forms are bytes too: two a code unit,
// low byte first (Utf16Le) or high byte first (Utf16Be), without a byte-order mark.
enum class CodePage { System, ShiftJis, EucJp, Utf8, Utf16Le, Utf16Be };

// Converts bytes from one code page to another. Gives nothing when the text holds a character
// that the target cannot represent or a byte sequence that is invalid in the source: a text
// never silently turns into "?" bytes.
std::optional<std::string> ConvertCodePage(const std::string& text, CodePage from, CodePage to);

// Decodes bytes of a code page to UTF-8 for display: each byte that does not start a valid
// character of the code page becomes U+FFFD, and decoding goes on after it. Never fails.
std::string DecodeToUtf8(std::string_view text, CodePage from);

// Whether standard error is a terminal (a console on Windows), not a file or a pipe.
bool StandardErrorIsTerminal();

// ---- Enumeration -----------------------------------------------------------------------------

// Attribute word of a folder entry, in the bits of the Windows file system.
using AttributeWord = std::uint32_t;
inline constexpr AttributeWord kReadOnly = 0x01;
inline constexpr AttributeWord kHidden = 0x02;
inline constexpr AttributeWord kSystem = 0x04;
inline constexpr AttributeWord kVolumeLabel = 0x08;
inline constexpr AttributeWord kDirectory = 0x10;
inline constexpr AttributeWord kArchive = 0x20;
inline constexpr AttributeWord kDevice = 0x40;
inline constexpr AttributeWord kNormal = 0x80;
inline constexpr AttributeWord kReparsePoint = 0x400;

// Identity of a file object (device and inode, or volume serial and file index).
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

// One entry of a folder as the platform reports it, links followed.
struct DirEntry {
    std::string name;  // the entry's own name, without any folder part
    AttributeWord attributes = 0;
};

// Whether a folder could be listed.
enum class ListingResult {
    Listed,     // read to its end
    Missing,    // it does not exist (or vanished, or is no folder): nothing was hidden
    Unreadable  // it exists but could not be opened or read to its end: no permission, path too
                // long, ... (the entries read before a read error are still given)
};

// The whole content of one folder.
struct FolderListing {
    ListingResult result = ListingResult::Missing;
    FileId folderId;                // the folder itself; valid when listed
    std::vector<DirEntry> entries;  // without "." and "..", in the platform's listing order
};

// Reads one whole folder (with or without a trailing separator) and closes it before returning,
// so that a caller walking a tree holds no folder open while it descends.
//
// Order: as the platform enumerates on Windows; on POSIX, where the storage order reads as
// random, by the bytes of the names with a-z taken as A-Z, ties broken by the raw bytes (the
// order the usual Windows file system lists in).
//
// listMask is the mask by which the caller lists entries ((word & listMask) != 0). An entry whose
// type alone already puts a bit of listMask into its word (on POSIX a regular file or a folder,
// known from the directory entry without a status call) may lack the bits that only a status
// call gives (read-only); every other word is complete. Pass 0 for complete words throughout.
//
// An entry whose target cannot be examined for any reason but that it is gone (no search
// permission on the way, say) is still given, its word taken from its directory entry type (a
// folder as a folder, anything else as a file, so that a reader's failure to open it is
// reported); a link that leads nowhere (missing target, loop) is a reparse point alone.
//
// A folder on one of kernelDevices (see PseudoFileSystemDevices) is a kernel interface: there a
// symbolic link is the kernel's cross-reference, given as a reparse point alone without looking
// at its target, and a file whose reading takes away what it returns (the kernel's log, the trace
// buffers) carries the device bit alone, so that nothing reads it.
FolderListing ListFolder(const std::string& folder, AttributeWord listMask,
                         const std::vector<std::uint64_t>& kernelDevices = {});

// The devices (FileId::device) of the kernel pseudo file systems mounted now (proc, sysfs,
// devtmpfs, cgroup, debugfs, ... and anything mounted inside proc or sysfs). A walk lists their
// mount points but does not enter them: their links repeat folders without end. Empty on Windows.
std::vector<std::uint64_t> PseudoFileSystemDevices();

// ---- Files -----------------------------------------------------------------------------------

// What tells one version of a file from another: which file it is (0 where the platform does not
// say), its change time in the platform's units and its size.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t id = 0;
    std::uint64_t change = 0;
    std::uint64_t size = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at path now, by one status call (links followed); nothing when it is gone
// or cannot be examined. Equal to an InputFile's Stamp() while the file is as it was opened.
std::optional<FileStamp> StampOf(const std::string& path);

// A file opened for reading, shared with other readers. Never blocks on FIFOs or devices: only
// regular files open.
class InputFile {
  public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    // Size of the file in bytes at the time it was opened (a file may grow or shrink meanwhile;
    // files of kernel pseudo file systems report 0).
    std::uint64_t Size() const { return stamp_.size; }

    // Reads up to count bytes with one read of the system; gives the number read, 0 at the end,
    // nothing after a read error (never taken for the end). A read may give fewer bytes than asked
    // before the end: read until 0.
    std::optional<std::size_t> Read(char* buffer, std::size_t count);

    // The file as it was opened (a write, a rename or new permissions change its change time,
    // to the file system's granularity).
    const FileStamp& Stamp() const { return stamp_; }

  private:
    std::intptr_t fd_ = -1;
    FileStamp stamp_;
};

// Called with the path of every file an InputFile is about to open, before the system is asked,
// from whichever thread opens it; nullptr (the default) for none. Lets tests see what is opened.
using OpenObserver = void (*)(const std::string& path);
void ObserveOpens(OpenObserver observer);

// Reads a whole regular file to its end (until a read gives 0 bytes, whatever size it reports);
// gives nothing when it cannot be opened or a read fails.
std::optional<std::string> ReadWholeFile(const std::string& path);

// ---- Processes -------------------------------------------------------------------------------

// Resident memory of the process with the given id, in bytes; nothing when it cannot be read
// (no such process, no permission).
std::optional<std::uint64_t> ProcessResidentBytes(std::int64_t pid);

// The processors this thread may run on (its affinity, as taskset or a container sets it), at least
// one.
unsigned UsableProcessors();

// Asks the memory allocator to keep blocks of up to 32 MiB that the process frees for its next
// requests, instead of handing them back to the system: a search that reads file after file into
// fresh buffers then stops paying for new pages each time. Nothing where the allocator has no
// such setting.
void KeepFreedMemory();

// ---- Folders and drives (folder chooser) ----------------------------------------------------

// The process's current directory, as the system reports it.
std::string CurrentDirectory();

// Makes folder the current directory; false (and nothing changed) when it cannot be entered.
bool EnterFolder(const std::string& folder);

// Enters the folder that this process last had as current directory on the drive whose root is
// given, or the drive's root when it had none; false when neither can be entered.
bool EnterDrive(const std::string& root);

// True when path exists and is a folder (links followed).
bool FolderExists(const std::string& path);

// True when path names an existing entry that is not a folder.
bool FileExists(const std::string& path);

// Names of the subfolders of folder, without ".", "..", hidden and system folders, in the order
// of ListFolder.
std::vector<std::string> Subfolders(const std::string& folder);

// Kinds of drive, with the values of the Windows drive types.
enum class DriveType {
    Unknown = 0,
    NoRoot = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6
};

// One drive: a drive letter's root on Windows; a mounted file system on POSIX.
struct Drive {
    std::string root;  // "c:\" or a mount point such as "/" or "/home"
    DriveType type = DriveType::Unknown;
};

// The drives present now, in their natural order (letter order; mount points sorted).
std::vector<Drive> Drives();

// Label and flags of the volume whose root is given.
struct VolumeInfo {
    std::string label;  // the volume label, or the file-system type where there is none
    bool caseSensitive = false;
    bool casePreserving = false;
};

// Reads the volume information of a drive root; nothing when it cannot be read.
std::optional<VolumeInfo> VolumeInformation(const std::string& root);

// The remote name of a network drive, when it has one.
std::optional<std::string> RemoteName(const std::string& root);

// The root of the drive that holds path: the drive letter's root, or the longest mount point
// that contains the path.
std::string DriveOf(const std::string& path);

// ---- Standard streams ------------------------------------------------------------------------

enum class StandardStream { Output, Error };

// Writes text (the core's bytes) to standard output or standard error: the bytes as they are to
// a pipe or a file; to a Windows console as the characters they encode, through the console's
// wide functions, whatever its code page.
void WriteStandard(StandardStream stream, const std::string& text);

}  // namespace tanmira::platform
