// Forked children for tests.
#include "tests/support/child_process.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tanmira::testing {

pid_t StartChild(const std::function<int()>& body, ChildUser user) {
    const pid_t child = fork();
    if (child != 0)
        return child;
    if (user == ChildUser::Unprivileged && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
        _exit(2);
    int status = 1;
    try {
        status = body();
    } catch (...) {
    }
    _exit(status);
}

bool InChild(const std::function<bool()>& body, ChildUser user) {
    const pid_t child = StartChild([&] { return body() ? 0 : 1; }, user);
    if (child < 0)
        return false;
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tanmira::testing
