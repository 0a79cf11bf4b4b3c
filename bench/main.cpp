// masume-bench: Google Benchmark runs, then one summary line per figure.

#include "bench/Figures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <vector>

namespace masume::bench {

namespace {

struct FigureSpec
{
    std::string name, benchmark, baseline, label;
};

std::vector<FigureSpec> &figures()
{
    static std::vector<FigureSpec> list;
    return list;
}

// The console table as usual, plus the mean real time per benchmark name.
class RecordingReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

void addFigure(const std::string &name, const std::string &benchmark, const std::string &baseline,
               const std::string &baselineLabel)
{
    figures().push_back({name, benchmark, baseline, baselineLabel});
}

} // namespace masume::bench

int main(int argc, char **argv)
{
    using namespace masume::bench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    for (const FigureSpec &f : figures()) {
        const auto a = reporter.times.find(f.benchmark);
        const auto b = reporter.times.find(f.baseline);
        if (a == reporter.times.end() || b == reporter.times.end() || b->second <= 0)
            continue; // filtered out of this run
        std::printf("%s: %.2fx %s\n", f.name.c_str(), a->second / b->second, f.label.c_str());
    }
    return 0;
}
