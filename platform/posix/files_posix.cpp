// File reading on POSIX. Only regular files are opened, and without blocking, so that a FIFO or a
// device never stalls a search.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace tanmira::platform {

InputFile::InputFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
}

InputFile::~InputFile() {
    if (fd_ >= 0)
        close(static_cast<int>(fd_));
}

std::size_t InputFile::Read(char* buffer, std::size_t count) {
    std::size_t total = 0;
    while (fd_ >= 0 && total < count) {
        const ssize_t n = read(static_cast<int>(fd_), buffer + total, count - total);
        if (n > 0) {
            total += static_cast<std::size_t>(n);
            if (static_cast<std::uint64_t>(total) >= size_)
                break;  // a regular file read up to its size needs no further call to see the end
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    return total;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    InputFile file(path);
    if (!file.IsOpen())
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace tanmira::platform
