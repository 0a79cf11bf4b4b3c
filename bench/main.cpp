// masume-bench: Google Benchmark runs, then one summary line per figure.

#include "bench/Figures.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace masume::bench {

namespace {

struct FigureSpec
{
    std::string name, benchmark, baseline, label;
    Compared compared;
    std::string counter;
};

std::vector<FigureSpec> &figures()
{
    static std::vector<FigureSpec> list;
    return list;
}

// The console table as usual, plus per benchmark name its real time and
// counters: the median of its repetitions where it has several, otherwise
// its one run.
//
// The context printed before the table leaves out the library's warning
// "Library was built as DEBUG": Debian builds libbenchmark without NDEBUG,
// which only keeps the library's own checks outside the timed loops. The
// timed loop itself (for (auto _ : state)) is inlined from the header into
// masume-bench, which is built with -O3 -DNDEBUG, and every benchmark here
// takes a millisecond or more per iteration.
class RecordingReporter : public benchmark::ConsoleReporter
{
public:
    struct Result
    {
        double realTime = 0;
        std::map<std::string, double> counters;
        bool fromMedian = false;
    };

    bool ReportContext(const Context &context) override
    {
        name_field_width_ = context.name_field_width;
        printed_header_ = false;
        prev_counters_.clear();
        const benchmark::CPUInfo &cpu = context.cpu_info;
        std::fprintf(stderr, "Run on (%d X %.0f MHz CPU%s)\n", cpu.num_cpus,
                     cpu.cycles_per_second / 1e6, cpu.num_cpus > 1 ? "s" : "");
        for (const auto &cache : cpu.caches)
            std::fprintf(stderr, "  L%d %s %d KiB (x%d)\n", cache.level, cache.type.c_str(),
                         cache.size / 1024, cpu.num_cpus / std::max(cache.num_sharing, 1));
        if (!cpu.load_avg.empty()) {
            std::fprintf(stderr, "Load Average:");
            for (double load : cpu.load_avg)
                std::fprintf(stderr, " %.2f", load);
            std::fprintf(stderr, "\n");
        }
        std::fprintf(stderr,
                     "(Debian's libbenchmark is built without NDEBUG; masume-bench and the timed "
                     "loops are built with it.)\n");
        return true;
    }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median)
                continue;
            Result &r = results[run.run_name.function_name];
            if (r.fromMedian && !median)
                continue;
            r.realTime = run.GetAdjustedRealTime();
            r.fromMedian = median;
            for (const auto &[name, counter] : run.counters)
                r.counters[name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Result> results;
};

const char *describe(Compared compared, bool counter)
{
    if (compared == Compared::InProcess)
        return counter ? "in process, paired runs" : "in process, time";
    return counter ? "whole processes, paired runs" : "whole processes, time";
}

} // namespace

void addFigure(const std::string &name, const std::string &benchmark, const std::string &baseline,
               const std::string &baselineLabel, Compared compared, const std::string &counter)
{
    figures().push_back({name, benchmark, baseline, baselineLabel, compared, counter});
}

} // namespace masume::bench

int main(int argc, char **argv)
{
    using namespace masume::bench;
    // By default every in-process benchmark runs five times, the runs of all
    // benchmarks shuffled together, so that a figure's two sides meet the
    // same state of the machine; the figures take the medians. The
    // whole-process benchmarks pair their runs themselves.
    std::vector<char *> args(argv, argv + argc);
    static char repetitions[] = "--benchmark_repetitions=5";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    const auto given = [&](const char *flag) {
        for (int i = 1; i < argc; ++i)
            if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0)
                return true;
        return false;
    };
    if (!given("--benchmark_repetitions")) {
        args.insert(args.begin() + 1, repetitions);
        if (!given("--benchmark_enable_random_interleaving"))
            args.insert(args.begin() + 1, interleave);
        if (!given("--benchmark_report_aggregates_only"))
            args.insert(args.begin() + 1, aggregates);
    }
    argc = int(args.size());
    args.push_back(nullptr);
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    for (const FigureSpec &f : figures()) {
        const auto a = reporter.results.find(f.benchmark);
        if (a == reporter.results.end())
            continue; // filtered out of this run
        double ratio;
        if (!f.counter.empty()) {
            const auto c = a->second.counters.find(f.counter);
            if (c == a->second.counters.end())
                continue;
            ratio = c->second;
        } else {
            const auto b = reporter.results.find(f.baseline);
            if (b == reporter.results.end() || b->second.realTime <= 0)
                continue;
            ratio = a->second.realTime / b->second.realTime;
        }
        std::printf("%s: %.2fx %s (%s)\n", f.name.c_str(), ratio, f.label.c_str(),
                    describe(f.compared, !f.counter.empty()));
    }
    return 0;
}
