#pragma once

#include "batch/BatchOptions.h"

#include <functional>
#include <ostream>
#include <string>

namespace masume::batch {

// Where a run reports: errors as whole lines, and the progress of the run,
// which a terminal shows and redraws in place.
struct BatchReport
{
    std::ostream &errors;
    // Called when an input starts and when it is finished, with the number
    // of inputs finished so far; may be empty.
    std::function<void(size_t finished, size_t count, const std::string &input)> progress;
    // Called before an error line is written, and once after the last
    // input; either may be empty.
    std::function<void()> interrupt;
    std::function<void()> done;
    // The language of masume-batch's own texts: the help, usage errors and
    // the run's refusals.
    Language language = Language::English;
};

// Exit statuses of masume-batch.
inline constexpr int ExitOk = 0;
inline constexpr int ExitSomeFailed = 1;
inline constexpr int ExitUsage = 2;

// The name an input is written under: the -o name, or the input's file name
// inside the --out-dir folder, its extension replaced by --format's.
std::string outputNameFor(const BatchOptions &options, const std::string &input);

// Processes every input, up to options.jobs of them at the same time (see
// batch/ParallelRun.h), started in input order; a failing one is reported
// as "masume-batch: FILE: MESSAGE", in input order, and the others go on.
// The files written and the lines reported do not depend on the number of
// jobs. Returns ExitOk when all were written, ExitSomeFailed otherwise.
int runBatch(const BatchOptions &options, BatchReport &report);

// The whole command line after the program name: usage errors, --help, the
// run. Progress goes to the report only when wanted.
int batchMain(const std::vector<std::string> &args, std::ostream &out, BatchReport &report);

} // namespace masume::batch
