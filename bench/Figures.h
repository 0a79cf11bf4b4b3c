#pragma once

#include <string>

namespace masume::bench {

// What a figure sets side by side. The two sides are always of one kind:
// code inside masume-bench's own process against other code inside it, or
// whole programs (start-up, reading and writing files included) against
// other whole programs. No figure sets one kind against the other.
enum class Compared {
    InProcess,
    WholeProcess,
};

// A figure of the summary, printed after the table as
// "name: 2.41x baselineLabel (in process, time)".
//
// Without a counter, the ratio of the real time of one benchmark to that
// of another measured in the same run. With a counter, that counter of the
// benchmark, which is itself a ratio measured in pairs (see
// bench/Processes.h and bench/OpenBench.cpp).
void addFigure(const std::string &name, const std::string &benchmark, const std::string &baseline,
               const std::string &baselineLabel, Compared compared,
               const std::string &counter = {});

struct Figure
{
    Figure(const std::string &name, const std::string &benchmark, const std::string &baseline,
           const std::string &baselineLabel, Compared compared, const std::string &counter = {})
    {
        addFigure(name, benchmark, baseline, baselineLabel, compared, counter);
    }
};

} // namespace masume::bench
