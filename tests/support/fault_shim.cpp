// System calls that fail or lag on demand, for fault cases and for checking that tests wait for
// events rather than time. Linked into the fault suite, whose definitions then take the place of
// the C library's; built also as a library to preload into any program (LD_PRELOAD).
//   - read() of a file whose name starts with "eio-after-N-" fails with EIO once the file
//     position reaches N bytes, as a failing disk does part way through a file.
//   - open() of a folder sleeps TANMIRA_SLOW_OPENDIR_MS milliseconds first when that variable is
//     set.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

template <typename Function>
Function* Next(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

// The byte position from which reads of fd fail, or -1 when they never do.
long long FailingFrom(int fd) {
    constexpr char kMarker[] = "eio-after-";
    char target[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return -1;
    target[n] = '\0';
    const char* name = std::strrchr(target, '/');
    name = name != nullptr ? name + 1 : target;
    if (std::strncmp(name, kMarker, sizeof kMarker - 1) != 0)
        return -1;
    return std::atoll(name + sizeof kMarker - 1);
}

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    static auto* const next = Next<ssize_t(int, void*, size_t)>("read");
    const long long from = FailingFrom(fd);
    if (from >= 0 && lseek(fd, 0, SEEK_CUR) >= from) {
        errno = EIO;
        return -1;
    }
    return next(fd, buffer, count);
}

extern "C" int open(const char* path, int flags, ...) {
    static auto* const next = Next<int(const char*, int, ...)>("open");
    mode_t mode = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        va_list rest;
        va_start(rest, flags);
        mode = static_cast<mode_t>(va_arg(rest, int));
        va_end(rest);
    }
    if ((flags & O_DIRECTORY) != 0) {
        if (const char* ms = std::getenv("TANMIRA_SLOW_OPENDIR_MS"))
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
    }
    return next(path, flags, mode);
}
