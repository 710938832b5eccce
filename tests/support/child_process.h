// Runs a piece of a test in a forked child process: for limits and identities that must not leak
// into the rest of the test program.
#pragma once

#include <functional>

namespace tanmira::testing {

// Who the child runs as.
enum class ChildUser {
    Same,         // the test program's own user
    Unprivileged  // uid and gid 65534 (nobody) when the tests run as root, so that permission
                  // bits apply; the own user otherwise
};

// Runs body in a child process and gives what it returned (false when it threw or crashed).
bool InChild(const std::function<bool()>& body, ChildUser user = ChildUser::Same);

}  // namespace tanmira::testing
