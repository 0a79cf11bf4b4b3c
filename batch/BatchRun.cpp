#include "batch/BatchRun.h"

#include "Canvas/WindowlessChain.h"
#include "common/Error.h"
#include "common/Messages.h"

#include <filesystem>
#include <new>
#include <set>

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
    return (fs::path(*options.outputDir) / fs::path(input).filename()).string();
}

void processPicture(const BatchOptions &options, const std::string &input, std::string outputName)
{
    WindowlessChain chain(options.sizeH, options.sizeV);
    chain.grid.setGridKind(options.kind);
    chain.grid.setGridColour(options.colour);

    UnattendedHost host(options.withGrid);
    PictureCommands commands(chain.canvas, host);
    commands.OpenPicture1Accept(input);
    // Every overwrite is confirmed: Save As saves under the name at once.
    commands.SaveAsPicture1Accept(outputName);
}

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

    int status = ExitOk;
    std::set<std::string> written;
    const size_t count = options.inputs.size();
    for (size_t i = 0; i < count; ++i) {
        const std::string &input = options.inputs[i];
        if (report.progress)
            report.progress(i, count, input);
        const std::string output = outputNameFor(options, input);
        const std::string identity = identityOf(output);
        std::string failure;
        if (options.outputDir && (inputs.count(identity) || sameFile(input, output))) {
            failure = "output " + output + " is an input; name it with -o to replace it";
        } else if (written.count(identity)) {
            failure = "output " + output + " was already written in this run";
        } else {
            try {
                processPicture(options, input, output);
                written.insert(identity);
            } catch (const Error &e) {
                failure = e.what();
            } catch (const std::bad_alloc &) {
                failure = msg::OutOfMemory;
            }
        }
        if (!failure.empty()) {
            status = ExitSomeFailed;
            if (report.interrupt)
                report.interrupt();
            report.errors << "masume-batch: " << input << ": " << failure << '\n';
            report.errors.flush();
        }
    }
    if (report.done)
        report.done();
    return status;
}

int batchMain(const std::vector<std::string> &args, std::ostream &out, BatchReport &report)
{
    const auto parsed = parseArguments(args);
    if (const auto *usage = std::get_if<UsageError>(&parsed)) {
        report.errors << "masume-batch: " << usage->reason << '\n' << usageLine() << '\n';
        return ExitUsage;
    }
    const BatchOptions &options = std::get<BatchOptions>(parsed);
    if (options.help) {
        out << usageHelp();
        return ExitOk;
    }
    return runBatch(options, report);
}

} // namespace masume::batch
