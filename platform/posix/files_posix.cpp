// File reading on POSIX. Only regular files are opened, and without blocking, so that a FIFO or a
// device never stalls a search.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/open_observer.h"
#include "platform/platform.h"

namespace tanmira::platform {

namespace {

FileStamp StampOf(const struct stat& st) {
    return {.device = static_cast<std::uint64_t>(st.st_dev),
            .id = static_cast<std::uint64_t>(st.st_ino),
            .change = static_cast<std::uint64_t>(st.st_ctim.tv_sec) * 1000000000u +
                      static_cast<std::uint64_t>(st.st_ctim.tv_nsec),
            .size = static_cast<std::uint64_t>(st.st_size)};
}

}  // namespace

InputFile::InputFile(const std::string& path) {
    NoteOpen(path);
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return;
    }
    fd_ = fd;
    stamp_ = StampOf(st);
}

InputFile::~InputFile() {
    if (fd_ >= 0)
        close(static_cast<int>(fd_));
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return StampOf(st);
}

std::optional<std::size_t> InputFile::Read(char* buffer, std::size_t count) {
    if (fd_ < 0)
        return std::nullopt;
    if (count == 0)
        return 0;
    for (;;) {
        const ssize_t n = read(static_cast<int>(fd_), buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return std::nullopt;
    }
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    InputFile file(path);
    if (!file.IsOpen())
        return std::nullopt;
    // One byte more than the reported size, so that a file of the size it reports ends with the
    // next read; the buffer doubles while the file holds more (files of /proc report 0).
    std::string bytes(std::max<std::size_t>(static_cast<std::size_t>(file.Size()) + 1, 4096), '\0');
    std::size_t total = 0;
    for (;;) {
        if (total == bytes.size())
            bytes.resize(bytes.size() * 2);
        const std::optional<std::size_t> n = file.Read(bytes.data() + total, bytes.size() - total);
        if (!n)
            return std::nullopt;
        if (*n == 0)
            break;
        total += *n;
    }
    bytes.resize(total);
    return bytes;
}

}  // namespace tanmira::platform
