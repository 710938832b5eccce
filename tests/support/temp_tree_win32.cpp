// Temporary folder trees for tests: the Windows parts (chains past the 260-character limit and a
// removal that reaches them), through the wide functions with the long-path prefix.
#include <windows.h>

#include <stdexcept>

#include "platform/wide_text.h"
#include "tests/support/temp_tree.h"

namespace tanmira::testing {

namespace {

// The long form of an absolute path of the core.
std::wstring LongPath(const std::string& path) {
    return L"\\\\?\\" + platform::Utf8ToWide(path).value();
}

// Removes path (long form) with everything in it; links and junctions are removed, not entered.
void RemoveEntry(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileW(path.c_str());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..")
                    RemoveEntry(path + L"\\" + name);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

void TempTree::RemoveTree(const std::string& root) {
    RemoveEntry(LongPath(root));
}

std::vector<std::string> TempTree::DeepChain(const std::string& relative, int levels,
                                             std::size_t nameLength, const std::string& fileName,
                                             const std::string& bytes) {
    const std::string name(nameLength, 'd');
    std::string path = Folder(relative);
    std::vector<std::string> files;
    for (int level = 0; level < levels; ++level) {
        path += "\\" + name;
        files.push_back(path + "\\" + fileName);
        CreateDirectoryW(LongPath(path).c_str(), nullptr);
        const HANDLE file = CreateFileW(LongPath(files.back()).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        const bool done =
            file != INVALID_HANDLE_VALUE &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        if (!done)
            throw std::runtime_error("cannot write " + fileName + " in a deep chain");
    }
    return files;
}

}  // namespace tanmira::testing
