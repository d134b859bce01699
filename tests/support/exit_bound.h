// A test binary's exit is bounded: once its last test has run, the process
// has only to end. Where something holds it (a thread joined at exit, a
// destructor that waits), it says so and fails after a minute rather than
// keep CTest waiting out the test's time limit. Included once in each test
// binary, by its main.
#pragma once

#include <csignal>
#include <unistd.h>

namespace zt
{

constexpr unsigned EXIT_BOUND_SECONDS = 60;

// Called after the last test, just before main returns.
inline void boundExit(void)
{
    signal(SIGALRM, [](int) {
        constexpr char MESSAGE[] = "test binary: not ended 60 s after its last test\n";
        if (write(STDERR_FILENO, MESSAGE, sizeof MESSAGE - 1) < 0) {
        }
        _exit(1);
    });
    alarm(EXIT_BOUND_SECONDS);
}

} // namespace zt
