// Forked children for tests.
#include "tests/support/child_process.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tanmira::testing {

bool InChild(const std::function<bool()>& body, ChildUser user) {
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (user == ChildUser::Unprivileged && geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        bool passed = false;
        try {
            passed = body();
        } catch (...) {
        }
        _exit(passed ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tanmira::testing
