// own_peak PEAKFILE PROGRAM [ARGUMENT...]
//
// Runs PROGRAM as a child of this small process, writes the child's
// largest resident set in bytes to PEAKFILE and ends as the child ended:
// with its exit status, or by the signal that ended it. Linux starts a
// child's resident peak at its parent's resident set at the fork and keeps
// it through exec, so a program started straight from a large test process
// would show the test's memory as its own.

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: own_peak PEAKFILE PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    const pid_t pid = ::fork();
    if (pid < 0)
        return 126;
    if (pid == 0) {
        ::execv(argv[2], argv + 2);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage
    {
    };
    if (::wait4(pid, &status, 0, &usage) != pid)
        return 126;
    if (FILE *peak = std::fopen(argv[1], "w")) {
        std::fprintf(peak, "%lld\n", static_cast<long long>(usage.ru_maxrss) * 1024);
        std::fclose(peak);
    }
    if (WIFSIGNALED(status)) {
        std::signal(WTERMSIG(status), SIG_DFL);
        std::raise(WTERMSIG(status));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 126;
}
