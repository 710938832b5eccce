// The console on Windows: whether a standard stream is a console.
#include <windows.h>

#include "platform/platform.h"

namespace tanmira::platform {

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace tanmira::platform
