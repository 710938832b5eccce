// The standard streams on POSIX: the bytes go out as they are; whether one is a terminal.
#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"

namespace tanmira::platform {

void WriteStandard(StandardStream stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream == StandardStream::Output ? stdout : stderr);
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace tanmira::platform
