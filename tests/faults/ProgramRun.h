#pragma once

// Runs the real programs in a child process, with limits, a cgroup or
// signals applied to it alone: the test process itself keeps the default
// disposition of every signal (SIGXFSZ among them), so that the programs'
// own handling is what is tested.

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace masume::test {

namespace fs = std::filesystem;

struct ProgramEnd
{
    int status = -1; // the exit status, or 128 + the signal that ended it
    std::string err;
    // What the program took: its largest resident set and its processor
    // time (user and system).
    uint64_t peakBytes = 0;
    double cpuSeconds = 0;
};

inline std::string contentOf(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A started program, its standard output and error going to files.
class Program
{
public:
    // inChild runs in the child before exec (setrlimit and the like); it
    // may _exit(126) when it cannot do its part.
    Program(const std::vector<std::string> &argv, const fs::path &outputFolder,
            const std::function<void()> &inChild = {},
            const std::vector<std::string> &environment = {})
        : m_err(outputFolder / ("err-" + std::to_string(++counter())))
    {
        // The environment, with the variables given replacing those of the
        // same name.
        std::vector<std::string> env(environment);
        const auto given = [&](const std::string &variable) {
            const std::string name = variable.substr(0, variable.find('=') + 1);
            for (const std::string &g : environment)
                if (g.compare(0, name.size(), name) == 0)
                    return true;
            return false;
        };
        for (char **e = environ; *e; ++e)
            if (!given(*e))
                env.push_back(*e);
        std::vector<char *> args, envp;
        for (const std::string &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        for (const std::string &e : env)
            envp.push_back(const_cast<char *>(e.c_str()));
        envp.push_back(nullptr);
        const std::string errName = m_err.string();
        // Nothing buffered may be written twice, by the child as well.
        std::cout.flush();
        std::fflush(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            // Every signal at its default, as a shell starts a program.
            for (int s : {SIGXFSZ, SIGINT, SIGTERM, SIGHUP})
                std::signal(s, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            std::FILE *out = std::freopen("/dev/null", "w", stdout);
            std::FILE *err = std::freopen(errName.c_str(), "w", stderr);
            if (!out || !err)
                ::_exit(126);
            if (inChild)
                inChild();
            ::execve(args[0], args.data(), envp.data());
            ::_exit(127);
        }
    }

    pid_t pid() const { return m_pid; }

    ProgramEnd wait()
    {
        ProgramEnd end;
        int status = 0;
        struct rusage usage
        {
        };
        if (m_pid > 0 && ::wait4(m_pid, &status, 0, &usage) == m_pid) {
            end.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            end.peakBytes = uint64_t(usage.ru_maxrss) * 1024;
            const auto seconds
                = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
            end.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        }
        m_pid = -1;
        end.err = contentOf(m_err);
        return end;
    }

private:
    static int &counter()
    {
        static int n = 0;
        return n;
    }
    pid_t m_pid = -1;
    fs::path m_err;
};

inline ProgramEnd runProgram(const std::vector<std::string> &argv, const fs::path &outputFolder,
                             const std::function<void()> &inChild = {},
                             const std::vector<std::string> &environment = {})
{
    return Program(argv, outputFolder, inChild, environment).wait();
}

#ifdef MASUME_OWN_PEAK
// runProgram with the program's own resident peak in peakBytes: started
// through the small own_peak, since a child started straight from the test
// counts the test's resident set at the fork as its own. Not for programs
// that the test signals: the signal would reach own_peak.
inline ProgramEnd runMeasured(const std::vector<std::string> &argv, const fs::path &outputFolder,
                              const std::function<void()> &inChild = {},
                              const std::vector<std::string> &environment = {})
{
    static int n = 0;
    const fs::path peakFile = outputFolder / ("peak-" + std::to_string(++n));
    std::vector<std::string> measured {MASUME_OWN_PEAK, peakFile.string()};
    measured.insert(measured.end(), argv.begin(), argv.end());
    ProgramEnd end = runProgram(measured, outputFolder, inChild, environment);
    end.peakBytes = std::strtoull(contentOf(peakFile).c_str(), nullptr, 10);
    return end;
}
#endif

} // namespace masume::test
