#pragma once

// masume-batch run as a program by the tests: in a fresh folder, with its
// standard streams on files, its texts in English unless a test sets the
// language.

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace masume::test {

namespace fs = std::filesystem;

struct Outcome
{
    int status = -1;
    std::string out, err;
};

inline std::string bytesOf(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A fresh folder for one test's files.
class Folder
{
public:
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "masume-batch-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~Folder() { fs::remove_all(path); }
    std::string operator/(const std::string &name) const { return (path / name).string(); }
    fs::path path;
};

// The environment of a run of masume-batch: this process's without the
// variables that choose the language of its texts, so that they are
// English, and with `locale` (such as "LANG=ja_JP.UTF-8") added.
inline std::vector<std::string> batchEnvironment(const std::vector<std::string> &locale)
{
    std::vector<std::string> variables;
    for (char **v = environ; *v; ++v) {
        const std::string_view variable = *v;
        const std::string_view name = variable.substr(0, variable.find('='));
        if (name != "LC_ALL" && name != "LC_MESSAGES" && name != "LANG" && name != "LANGUAGE")
            variables.emplace_back(variable);
    }
    variables.insert(variables.end(), locale.begin(), locale.end());
    return variables;
}

inline std::vector<char *> pointersTo(std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (std::string &s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs masume-batch with args, standard input read from and standard
// output and error written to the files or devices of those names, and
// returns its exit status. Its texts
// are English unless `locale` sets the language.
inline int spawnBatch(const std::vector<std::string> &args, const std::string &outName,
                      const std::string &errName, const std::vector<std::string> &locale = {},
                      const std::string &inName = "/dev/null")
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY;
    posix_spawn_file_actions_addopen(&actions, 0, inName.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outName.c_str(), flags, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errName.c_str(), flags, 0644);
    std::vector<std::string> all {MASUME_BATCH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<std::string> environment = batchEnvironment(locale);
    pid_t pid;
    int status = -1;
    if (posix_spawn(&pid, MASUME_BATCH, &actions, nullptr, pointersTo(all).data(),
                    pointersTo(environment).data())
        == 0) {
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

// Runs masume-batch with standard output and error to files (so not a
// terminal), standard input from inName.
inline Outcome runBatch(const std::vector<std::string> &args,
                        const std::vector<std::string> &locale = {},
                        const std::string &inName = "/dev/null")
{
    Folder io;
    Outcome run;
    run.status = spawnBatch(args, io / "out", io / "err", locale, inName);
    run.out = bytesOf(io / "out");
    run.err = bytesOf(io / "err");
    return run;
}

} // namespace masume::test
