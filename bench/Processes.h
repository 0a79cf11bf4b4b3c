#pragma once

#include <benchmark/benchmark.h>

#include <string>

namespace masume::bench {

// A shell command as a whole: the wall time it took and the CPU time (user
// and system) of every process it ran, in milliseconds; false when it
// failed.
struct ProcessTimes
{
    double wallMs = 0;
    double cpuMs = 0;
};
bool runCommand(const std::string &command, ProcessTimes &times);

// Runs `ours` and `theirs` in pairs, one pair per iteration, the order
// alternating from pair to pair, so that both meet the same state of the
// machine. Sets the counters ours_cpu_ms, theirs_cpu_ms, ours_wall_ms,
// theirs_wall_ms (medians over the pairs) and cpu_ratio and wall_ratio (the
// medians of the pairs' ratios, ours to theirs). The benchmark's own time
// is that of both commands together and means nothing by itself.
void runPaired(benchmark::State &state, const std::string &ours, const std::string &theirs);

// The masume-batch program built with this benchmark.
std::string batchProgram();

// A file name quoted for the shell.
std::string quoted(const std::string &name);

} // namespace masume::bench
