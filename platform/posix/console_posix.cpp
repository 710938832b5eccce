// The console on POSIX: whether a standard stream is a terminal.
#include <unistd.h>

#include "platform/platform.h"

namespace tanmira::platform {

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace tanmira::platform
