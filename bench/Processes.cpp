#include "bench/Processes.h"

#include "bench/Baselines.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

namespace masume::bench {

namespace {

double cpuOfChildrenMs()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

} // namespace

bool runCommand(const std::string &command, ProcessTimes &times)
{
    // The shell waits for every process of the command, so their times
    // reach this process's children's account when it ends.
    const double cpuBefore = cpuOfChildrenMs();
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    times.wallMs = std::chrono::duration<double, std::milli>(end - start).count();
    times.cpuMs = cpuOfChildrenMs() - cpuBefore;
    return status == 0;
}

void runPaired(benchmark::State &state, const std::string &ours, const std::string &theirs)
{
    std::vector<double> oursCpu, theirsCpu, oursWall, theirsWall, cpuRatio, wallRatio;
    bool oursFirst = true;
    for (auto _ : state) {
        ProcessTimes a, b;
        const bool ok = oursFirst ? runCommand(ours, a) && runCommand(theirs, b)
                                  : runCommand(theirs, b) && runCommand(ours, a);
        oursFirst = !oursFirst;
        if (!ok) {
            state.SkipWithError(("failed: " + ours + " / " + theirs).c_str());
            return;
        }
        oursCpu.push_back(a.cpuMs);
        theirsCpu.push_back(b.cpuMs);
        oursWall.push_back(a.wallMs);
        theirsWall.push_back(b.wallMs);
        cpuRatio.push_back(b.cpuMs > 0 ? a.cpuMs / b.cpuMs : 0);
        wallRatio.push_back(a.wallMs / b.wallMs);
    }
    state.counters["ours_cpu_ms"] = median(oursCpu);
    state.counters["theirs_cpu_ms"] = median(theirsCpu);
    state.counters["ours_wall_ms"] = median(oursWall);
    state.counters["theirs_wall_ms"] = median(theirsWall);
    state.counters["cpu_ratio"] = median(cpuRatio);
    state.counters["wall_ratio"] = median(wallRatio);
}

std::string batchProgram()
{
    return MASUME_BATCH;
}

std::string quoted(const std::string &name)
{
    std::string out = "'";
    for (char c : name) {
        if (c == '\'')
            out.append("'\\''");
        else
            out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

} // namespace masume::bench
