// The id of a process that has ended and been reaped: a holder that is gone, for tests of
// files that name the process that wrote them.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

namespace lumo::test {

inline long deadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

}  // namespace lumo::test
