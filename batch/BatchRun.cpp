#include "batch/BatchRun.h"

#include "batch/OutputRules.h"
#include "batch/ParallelRun.h"
#include "batch/PictureSizeProbe.h"
#include "batch/StreamedPicture.h"
#include "common/Error.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <set>
#include <vector>

namespace masume::batch {

namespace fs = std::filesystem;

namespace {

// Whether two names lead to the same existing file.
bool sameFile(const std::string &a, const std::string &b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

// A name that tells two outputs apart however they are spelt: the absolute
// path with "." and ".." resolved and links followed where they exist.
std::string identityOf(const std::string &name)
{
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(name, ec), ec);
    return ec ? name : p.string();
}

} // namespace

std::string outputNameFor(const BatchOptions &options, const std::string &input)
{
    if (options.output)
        return *options.output;
    std::string name = fs::path(input).filename().string();
    if (options.format) {
        // The input's extension, if any, gives way to the format's.
        name.resize(name.size() - dottedExtensionOf(name).size());
        name += extensionFor(*options.format);
    }
    return (fs::path(*options.outputDir) / name).string();
}

namespace {

// One input of a run: what the run decided for it, and how it ended.
struct Job
{
    std::string output, identity;
    std::string failure; // empty: written
    bool finished = false;
};

} // namespace

int runBatch(const BatchOptions &options, BatchReport &report)
{
    // Under --out-dir no input may be replaced, also not one still to come.
    std::set<std::string> inputs;
    if (options.outputDir) {
        // A folder that cannot be made shows in each file's failure to be
        // created.
        std::error_code ignored;
        fs::create_directories(*options.outputDir, ignored);
        for (const std::string &input : options.inputs)
            inputs.insert(identityOf(input));
    }

    const size_t count = options.inputs.size();
    std::vector<Job> jobs(count);
    std::set<std::string> written; // identities of the outputs written so far
    std::multiset<std::string> writing; // and of those being written
    size_t finished = 0, reported = 0;
    int status = ExitOk;

    // --jobs counts threads. With at least as many pictures as threads,
    // each picture takes one and as many run side by side as there are
    // threads: they keep the cores busier than a picture's two threads,
    // which wait for each other at every band (8 photos of 3000 x 2000 on
    // two threads: 0.20 s against 0.27 s). With fewer pictures than
    // threads a picture takes two, one decoding ahead.
    const int threads = options.jobs > 0 ? options.jobs : defaultJobs();
    const int threadsPerPicture = threads >= 2 && count < size_t(threads) ? 2 : 1;
    ParallelRun run;
    run.count = count;
    run.jobs = std::max(threads / threadsPerPicture, 1);
    // Each picture is admitted with the bytes it is expected to hold, so
    // that the jobs together stay within what one picture alone may take.
    run.budget = picturePixelLimit() * 16;
    // Decided when the input is due, in input order, exactly as one after
    // another: an output already written by an earlier input of this run
    // is refused, so an input whose output an earlier one is still writing
    // waits for that one to end.
    run.plan = [&](size_t i) {
        Job &job = jobs[i];
        const std::string &input = options.inputs[i];
        job.output = outputNameFor(options, input);
        job.identity = identityOf(job.output);
        if (writing.count(job.identity))
            return TaskPlan {TaskPlan::Start::Wait, 0};
        if (options.outputDir && (inputs.count(job.identity) || sameFile(input, job.output)))
            job.failure = say(report.language, texts::OutputIsInput, {job.output});
        else if (written.count(job.identity))
            job.failure = say(report.language, texts::AlreadyWritten, {job.output});
        if (!job.failure.empty())
            return TaskPlan {TaskPlan::Start::Skip, 0};
        return TaskPlan {
            TaskPlan::Start::Run,
            expectedJobBytes(input == StandardStream ? PictureProbe {} : probePicture(input),
                             threadsPerPicture)};
    };
    run.started = [&](size_t i) {
        writing.insert(jobs[i].identity);
        if (report.progress)
            report.progress(finished, count, options.inputs[i]);
    };
    run.work = [&](size_t i) {
        Job &job = jobs[i];
        try {
            streamPicture(options, options.inputs[i], job.output, threadsPerPicture);
        } catch (const Error &e) {
            job.failure = e.what();
        } catch (const std::bad_alloc &) {
            job.failure = msg::OutOfMemory;
        }
    };
    run.finished = [&](size_t i) {
        Job &job = jobs[i];
        job.finished = true;
        ++finished;
        if (auto at = writing.find(job.identity); at != writing.end())
            writing.erase(at);
        if (job.failure.empty())
            written.insert(job.identity);
        // Failures are reported in input order, whatever order the jobs
        // end in.
        for (; reported < count && jobs[reported].finished; ++reported) {
            const Job &done = jobs[reported];
            if (done.failure.empty())
                continue;
            status = ExitSomeFailed;
            if (report.interrupt)
                report.interrupt();
            report.errors << "masume-batch: " << options.inputs[reported] << ": " << done.failure
                          << '\n';
            report.errors.flush();
        }
        if (report.progress)
            report.progress(finished, count, options.inputs[i]);
    };
    runParallel(run);

    if (report.done)
        report.done();
    return status;
}

int batchMain(const std::vector<std::string> &args, std::ostream &out, BatchReport &report)
{
    const auto parsed = parseArguments(args);
    if (const auto *usage = std::get_if<UsageError>(&parsed)) {
        report.errors << "masume-batch: " << usage->reason(report.language) << '\n'
                      << usageLine(report.language) << '\n';
        return ExitUsage;
    }
    BatchOptions options = std::get<BatchOptions>(parsed);
    if (options.help) {
        out << usageHelp(report.language);
        return ExitOk;
    }
    options.language = report.language;
    return runBatch(options, report);
}

} // namespace masume::batch
