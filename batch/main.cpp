#include "batch/BatchRun.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace masume::batch;

int main(int argc, char **argv)
{
    // A file-size limit makes a write fail with EFBIG, which is reported,
    // instead of ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    // Likewise a closed pipe on standard output (-o -): the write fails
    // with EPIPE, reported, and the program ends with status 1.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    BatchReport report {std::cerr, {}, {}, {}};
    report.language = chooseLanguage([](const char *name) { return std::getenv(name); });
    // A terminal gets a progress line, redrawn in place and wiped before an
    // error line and at the end; a pipe or a file gets the errors only.
    if (isatty(STDERR_FILENO)) {
        const auto wipe = [] { std::cerr << "\r\033[K" << std::flush; };
        report.progress = [](size_t finished, size_t count, const std::string &input) {
            std::cerr << "\r\033[K" << finished << "/" << count << " " << input << std::flush;
        };
        report.interrupt = wipe;
        report.done = wipe;
    }
    return batchMain(args, std::cout, report);
}
