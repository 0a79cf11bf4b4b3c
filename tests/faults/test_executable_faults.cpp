// The real programs under the faults a user's machine deals them: a
// file-size limit, a signal at any moment of a big save, a full disk, a
// memory cgroup, an address-space limit, a link to a file not yet there,
// an output name that is a folder. In every case the program reports the
// failure in its own words or ends by the signal, the old file stays byte
// for byte or the complete new one is in its place, and nothing else is
// left in the folder.
//
// The cases that need privileges (mounting a small tmpfs in a mount
// namespace of their own, making a memory cgroup) check what they can and
// say so where the machine does not allow them.

#include "ProgramRun.h"
#include "common/Messages.h"
#include "picture/AtomicFile.h"
#include "picture/JpegEncoder.h"
#include "picture/JpegTestSupport.h"
#include "picture/PictureFile.h"
#include "picture/PictureTestSupport.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <jerror.h>
#include <map>
#include <random>
#include <sstream>
#include <sys/resource.h>

using namespace masume;
using namespace masume::test;

namespace {

const std::string Batch = MASUME_BATCH;
const std::string Desktop = MASUME_DESKTOP;
const std::string OpenInDesktop = MASUME_OPEN_IN_DESKTOP;
const std::string FailingPreload = MASUME_FAILING_PRELOAD;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

std::string line(const std::string &input, const std::string &message)
{
    return "masume-batch: " + input + ": " + message + "\n";
}

// The old file's content: what must stay when a save fails.
std::vector<uint8_t> oldContent()
{
    std::vector<uint8_t> bytes(50000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + i / 256);
    return bytes;
}

void setLimit(int resource, rlim_t value)
{
    const rlimit limit {value, value};
    if (::setrlimit(resource, &limit) != 0)
        ::_exit(126);
}

// A 64-byte run-length BMP that claims 20000 x 20000 pixels (6.4 GB of
// surfaces) and ends at once.
std::vector<uint8_t> hugeClaim()
{
    std::vector<uint8_t> b(64, 0);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, 64);
    put32(10, 62);
    put32(14, 40);
    put32(18, 20000);
    put32(22, 20000);
    b[26] = 1; // planes
    b[28] = 8; // bits per pixel
    put32(30, 1); // RLE8
    put32(34, 2);
    put32(46, 2); // colours used
    b[58] = 0xFF; // the second colour white
    b[59] = 0xFF;
    b[60] = 0xFF;
    b[62] = 0; // end of the picture
    b[63] = 1;
    return b;
}

// In the child: standard output into the file of that name (created).
void outputTo(const std::string &name)
{
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
        ::_exit(126);
}

// A JPEG file of width x height written row by row, never held: coloured
// stripes with some noise, so that its coding costs something.
void writeStripedJpeg(const std::string &name, int width, int height)
{
    AtomicFile file(name);
    JpegEncoder encoder(file, width, height);
    std::vector<uint8_t> row(size_t(width) * 3);
    std::mt19937 rng(3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t noise = uint8_t(rng() & 15);
            row[3 * size_t(x)] = uint8_t(x / 7 + noise);
            row[3 * size_t(x) + 1] = uint8_t(y / 5 + noise);
            row[3 * size_t(x) + 2] = uint8_t((x + y) / 11);
        }
        encoder.writeRows(y, row.data(), 0, 1);
    }
    encoder.finish();
    file.commit();
}

// The folder's names and the target's state after a run.
struct Aftermath
{
    std::vector<std::string> names;
    std::vector<uint8_t> target;
};

} // namespace

// ulimit -f: the write fails with EFBIG, which both formats report; the
// program is not killed by SIGXFSZ and no partial file stays.
TEST(ExecutableFaults, BatchUnderAFileSizeLimitReportsTheWriteError)
{
    TempDir dir;
    const std::string input = dir.file("in.bmp");
    // Noise, so that the JPEG file too passes the limit.
    std::mt19937 rng(4);
    writeBmpFile(randomSurface(500, 500, PixelFormat::Rgb24, rng), input);
    for (const std::string out : {"out.bmp", "out.jpg", "out.png"}) {
        SCOPED_TRACE(out);
        TempDir work, logs;
        writeBytes(work.file(out), oldContent());
        const ProgramEnd end = runProgram({Batch, "-o", work.file(out), input}, logs.path(),
                                          [] { setLimit(RLIMIT_FSIZE, 100 * 1024); });
        EXPECT_EQ(end.status, 1);
        EXPECT_EQ(end.err, line(input, msg::WriteError));
        EXPECT_EQ(fileBytes(work.file(out)), oldContent());
        EXPECT_EQ(work.names(), (std::vector<std::string> {out}));
        std::cout << "ulimit -f 100, " << out << ": exit " << end.status << ", old file kept, "
                  << work.names().size() << " file in the folder\n";
    }
    // Standard output into a file under the limit: the same message, no
    // signal; what was written stays (the shell made the file).
    for (const std::string format : {"bmp", "jpeg", "png"}) {
        SCOPED_TRACE(format);
        TempDir work, logs;
        const std::string out = work.file("stdout");
        const ProgramEnd end
            = runProgram({Batch, "--format", format, "-o", "-", input}, logs.path(), [&] {
                  outputTo(out);
                  setLimit(RLIMIT_FSIZE, 100 * 1024);
              });
        EXPECT_EQ(end.status, 1);
        EXPECT_EQ(end.err, line(input, msg::WriteError));
        EXPECT_LE(fs::file_size(out), 100u * 1024);
    }
}

// A closed pipe on standard output (a reader that stops early, as head
// does): exit 1 with the write error, never SIGPIPE, whatever the format.
TEST(ExecutableFaults, BatchIntoAClosedPipeReportsTheWriteError)
{
    TempDir dir, logs;
    const std::string input = dir.file("in.bmp");
    std::mt19937 rng(5);
    writeBmpFile(randomSurface(600, 400, PixelFormat::Rgb24, rng), input);
    for (const std::string format : {"bmp", "jpeg", "png"}) {
        SCOPED_TRACE(format);
        const std::string status = dir.file("status-" + format);
        const ProgramEnd end
            = runProgram({"/bin/bash", "-c",
                          "\"$0\" --format \"$1\" -o - \"$2\" | head -c 100 >/dev/null; "
                          "echo ${PIPESTATUS[0]} >\"$3\"",
                          Batch, format, input, status},
                         logs.path());
        EXPECT_EQ(end.status, 0);
        EXPECT_EQ(contentOf(status), "1\n");
        EXPECT_EQ(end.err, line(input, msg::WriteError));
    }
}

// The desktop program has no command line to save through; what it does
// at start is seen from outside: SIGXFSZ in its set of ignored signals.
TEST(ExecutableFaults, DesktopProgramIgnoresSigxfsz)
{
    TempDir dir;
    Program desktop({Desktop}, dir.path(), {}, {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_GT(desktop.pid(), 0);
    const std::string status = "/proc/" + std::to_string(desktop.pid()) + "/status";
    bool ignored = false;
    for (int i = 0; i < 200 && !ignored; ++i) {
        std::istringstream lines(contentOf(status));
        for (std::string l; std::getline(lines, l);)
            if (l.rfind("SigIgn:", 0) == 0)
                ignored = (std::stoull(l.substr(7), nullptr, 16) >> (SIGXFSZ - 1)) & 1;
        if (!ignored)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ::kill(desktop.pid(), SIGKILL);
    desktop.wait();
    EXPECT_TRUE(ignored);
}

// SIGINT, SIGTERM, SIGHUP and SIGKILL at moments spread over the whole run
// of a 6000 x 4000 picture, read, gridded and saved as BMP (72 MB), JPEG or
// PNG over an old file: each run leaves the old file or the complete new one,
// and nothing else.
TEST(ExecutableFaults, SignalsAtAnyMomentOfABigSaveLeaveTheOldOrTheNewFile)
{
    TempDir dir;
    const std::string input = dir.file("big.bmp");
    writeBmpFile(photoLike(6000, 4000, 6), input);
    const std::map<std::string, std::vector<uint8_t>> complete = [&] {
        std::map<std::string, std::vector<uint8_t>> out;
        for (const std::string name : {"out.bmp", "out.jpg", "out.png"}) {
            EXPECT_EQ(
                runProgram({Batch, "--kind", "square", "-o", dir.file(name), input}, dir.path())
                    .status,
                0);
            out[name] = fileBytes(dir.file(name));
            fs::remove(dir.file(name));
        }
        return out;
    }();
    // How long one run takes, to spread the signals over it.
    const auto start = std::chrono::steady_clock::now();
    runProgram({Batch, "--kind", "square", "-o", dir.file("timing.bmp"), input}, dir.path());
    const double run
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    fs::remove(dir.file("timing.bmp"));

    const int runsPerSignal = 6;
    std::map<std::string, int> outcomes;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL})
        for (int i = 0; i < runsPerSignal; ++i) {
            const std::string name = i % 3 == 0 ? "out.bmp" : i % 3 == 1 ? "out.jpg" : "out.png";
            TempDir work;
            writeBytes(work.file(name), oldContent());
            Program batch({Batch, "--kind", "square", "-o", work.file(name), input}, dir.path());
            // From a fifth of the run (the picture read) to its end, with
            // a little of the previous run's spread.
            const double at = run * (0.2 + 0.85 * (i + 0.5) / runsPerSignal);
            std::this_thread::sleep_for(std::chrono::duration<double>(at));
            ::kill(batch.pid(), signal);
            const ProgramEnd end = batch.wait();
            const std::vector<uint8_t> now = fileBytes(work.file(name));
            const bool old = now == oldContent(), whole = now == complete.at(name);
            const std::string what
                = std::string(strsignal(signal)) + " at " + std::to_string(at) + " s, " + name;
            EXPECT_TRUE(old || whole) << what;
            EXPECT_EQ(work.names(), (std::vector<std::string> {name})) << what;
            // Ended by the signal, or done before it came.
            EXPECT_TRUE(end.status == 128 + signal || (end.status == 0 && whole))
                << what << ": " << end.status;
            ++outcomes[std::string(strsignal(signal)) + ": "
                       + (old         ? "old file"
                              : whole ? "new file"
                                      : "a damaged file")
                       + (work.names().size() == 1 ? ", nothing else in the folder"
                                                   : ", other files in the folder")];
        }
    std::cout << "one run takes " << run << " s\n";
    for (const auto &[outcome, count] : outcomes)
        std::cout << outcome << " x " << count << "\n";
}

// A full disk: a tmpfs of 512 KiB, mounted in a mount namespace of the
// program's own (so it vanishes with it), holding the old file.
TEST(ExecutableFaults, BatchOnAFullFileSystemKeepsTheOldFile)
{
    TempDir dir;
    const std::string input = dir.file("in.bmp");
    std::mt19937 rng(7); // noise: the JPEG file too overflows the disk
    writeBmpFile(randomSurface(1000, 1000, PixelFormat::Rgb24, rng), input);
    writeBytes(dir.file("old"), oldContent());
    int checked = 0;
    for (const std::string out : {"out.bmp", "out.jpg", "out.png"}) {
        const std::string mount = dir.file("disk-" + out), target = mount + "/" + out;
        fs::create_directory(mount);
        for (const char *result : {"status", "err", "names", "same"})
            fs::remove(dir.file(result));
        const std::string script = "mount --make-rprivate / || exit 125\n"
                                   "mount -t tmpfs -o size=512k tmpfs '"
            + mount + "' || exit 125\ncp '" + dir.file("old") + "' '" + target + "'\n'" + Batch
            + "' -o '" + target + "' '" + input + "' 2>'" + dir.file("err") + "'\necho $? >'"
            + dir.file("status") + "'\nls -A '" + mount + "' >'" + dir.file("names") + "'\ncmp -s '"
            + dir.file("old") + "' '" + target + "' && echo yes >'" + dir.file("same")
            + "'\nexit 0\n";
        writeBytes(dir.file("disk.sh"), {script.begin(), script.end()});
        const int status = run("unshare --mount sh '" + dir.file("disk.sh") + "' 2>/dev/null");
        if (status != 0) {
            std::cout << "cannot mount a tmpfs here (unshare --mount: " << status
                      << "): the full disk is not checked\n";
            continue;
        }
        ++checked;
        SCOPED_TRACE(out);
        EXPECT_EQ(contentOf(dir.file("status")), "1\n");
        EXPECT_EQ(contentOf(dir.file("err")), line(input, msg::WriteError));
        EXPECT_EQ(contentOf(dir.file("names")), out + "\n");
        EXPECT_EQ(contentOf(dir.file("same")), "yes\n");
        std::cout << "tmpfs of 512 KiB, " << out << ": exit " << contentOf(dir.file("status"))
                  << "  folder: " << contentOf(dir.file("names"));
    }
    // Standard output into a file on the full disk: the write error, never
    // a signal.
    if (checked > 0) {
        const std::string mount = dir.file("disk-stdout"), target = mount + "/out.png";
        fs::create_directory(mount);
        const std::string script = "mount --make-rprivate / || exit 125\n"
                                   "mount -t tmpfs -o size=512k tmpfs '"
            + mount + "' || exit 125\n'" + Batch + "' --format png -o - '" + input + "' >'" + target
            + "' 2>'" + dir.file("err") + "'\necho $? >'" + dir.file("status") + "'\nexit 0\n";
        writeBytes(dir.file("disk.sh"), {script.begin(), script.end()});
        ASSERT_EQ(run("unshare --mount sh '" + dir.file("disk.sh") + "' 2>/dev/null"), 0);
        EXPECT_EQ(contentOf(dir.file("status")), "1\n");
        EXPECT_EQ(contentOf(dir.file("err")), line(input, msg::WriteError));
    }
    if (checked == 0)
        GTEST_SKIP() << "no tmpfs could be mounted";
}

// A memory cgroup of 1 GiB: a picture that claims 20000 x 20000 pixels and
// would be held whole (run-length coded) is refused at once with the
// program's message, instead of the kernel killing the program half-way; a
// photo that fits is converted, and so is a JPEG photo of 96 megapixels,
// which passes as rows.
TEST(ExecutableFaults, BatchInAOneGibCgroupRefusesAHugeClaim)
{
    // The memory controller's folder of this process: cgroup v2 where
    // "0::PATH" is all, else v1's "N:...memory...:PATH" under its mount.
    std::string own, controller;
    {
        std::istringstream lines(contentOf("/proc/self/cgroup"));
        for (std::string l; std::getline(lines, l);) {
            const size_t a = l.find(':'), b = l.find(':', a + 1);
            const std::string list = l.substr(a + 1, b - a - 1), path = l.substr(b + 1);
            if (("," + list + ",").find(",memory,") != std::string::npos)
                own = "/sys/fs/cgroup/memory" + path, controller = "v1";
            else if (list.empty() && controller.empty())
                own = "/sys/fs/cgroup" + path, controller = "v2";
        }
    }
    const std::string group = own + "/masume-test-" + std::to_string(::getpid());
    const std::string limitFile
        = group + (controller == "v1" ? "/memory.limit_in_bytes" : "/memory.max");
    if (own.empty() || ::mkdir(group.c_str(), 0755) != 0)
        GTEST_SKIP() << "cannot make a memory cgroup under " << own << ": " << strerror(errno);
    std::ofstream(limitFile) << (uint64_t(1) << 30);
    const bool limited = contentOf(limitFile) == std::to_string(uint64_t(1) << 30) + "\n";
    if (!limited) {
        ::rmdir(group.c_str());
        GTEST_SKIP() << "cannot set a memory limit in " << group
                     << " (cgroup v2 needs the memory controller delegated)";
    }
    const auto inGroup = [&] {
        std::ofstream procs(group + "/cgroup.procs");
        procs << ::getpid() << std::endl;
        if (!procs)
            ::_exit(126);
    };

    TempDir dir, logs;
    writeBytes(dir.file("claim.bmp"), hugeClaim());
    writeBmpFile(photoLike(2000, 1500, 8), dir.file("photo.bmp"));
    writeBytes(dir.file("out.bmp"), oldContent());
    // A photo of 12000 x 8000 (an RGB file of 288 MB, which the desktop
    // program would hold five times over) passes as rows: the same file
    // inside the cgroup as outside it.
    writeStripedJpeg(dir.file("big.jpg"), 12000, 8000);
    const ProgramEnd refused = runProgram({Batch, "-o", dir.file("out.bmp"), dir.file("claim.bmp")},
                                          logs.path(), inGroup);
    const ProgramEnd fitting = runProgram(
        {Batch, "-o", dir.file("photo-out.jpg"), dir.file("photo.bmp")}, logs.path(), inGroup);
    const ProgramEnd big = runMeasured(
        {Batch, "--kind", "hex-rows", "-o", dir.file("big-in.jpg"), dir.file("big.jpg")},
        logs.path(), inGroup);
    ::rmdir(group.c_str());
    const ProgramEnd outside = runProgram(
        {Batch, "--kind", "hex-rows", "-o", dir.file("big-out.jpg"), dir.file("big.jpg")},
        logs.path());
    EXPECT_EQ(big.status, 0) << big.err;
    EXPECT_EQ(outside.status, 0) << outside.err;
    EXPECT_TRUE(fileBytes(dir.file("big-in.jpg")) == fileBytes(dir.file("big-out.jpg")));
    EXPECT_LT(big.peakBytes, uint64_t(64) << 20);
    for (const char *name : {"big.jpg", "big-in.jpg", "big-out.jpg"})
        fs::remove(dir.file(name));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, line(dir.file("claim.bmp"), msg::OutOfMemory));
    EXPECT_EQ(fileBytes(dir.file("out.bmp")), oldContent());
    EXPECT_EQ(fitting.status, 0) << fitting.err;
    EXPECT_EQ(dir.names(),
              (std::vector<std::string> {"claim.bmp", "out.bmp", "photo-out.jpg", "photo.bmp"}));
    std::cout << "1 GiB cgroup (" << controller << "), 12000 x 8000 JPEG: exit " << big.status
              << ", peak " << big.peakBytes / (1 << 20) << " MiB; 20000 x 20000 claim: exit "
              << refused.status << ", " << refused.err;
}

// A progressive JPEG of under 1 KB whose frame claims 49157 x 27397 pixels
// (1.3 gigapixels: 4 GB of picture, as much again of the decoder's
// coefficients) is refused as damaged at once by both programs: its first
// scan cannot hold the blocks it claims. Peak memory and processor time of
// the whole process, the desktop's windows included.
TEST(ExecutableFaults, ASmallFileClaimingAHugePictureIsRefusedAtOnce)
{
    TempDir dir, logs;
    const std::string claim = dir.file("claim.jpg");
    writeBytes(claim, smallFileClaimingAHugePicture(dir));
    cjpegPhoto(dir, "photo.jpg", 64, 48, 2, "-progressive");
    ASSERT_LT(fs::file_size(claim), 1000u);
    const std::string damaged = jpegError(JERR_INPUT_EOF);
    constexpr uint64_t MiB = 1 << 20;

    const ProgramEnd batch = runMeasured({Batch, "-o", dir.file("out.bmp"), claim}, logs.path());
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err, line(claim, damaged));
    EXPECT_LT(batch.peakBytes, 256 * MiB);
    EXPECT_LT(batch.cpuSeconds, 1.0);
    // The same file through a pipe, judged from the bytes read ahead.
    const ProgramEnd piped = runMeasured(
        {"/bin/sh", "-c", "cat \"$0\" | \"$1\" --format bmp -o - -", claim, Batch}, logs.path());
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err, line("-", damaged));
    EXPECT_LT(piped.peakBytes, 256 * MiB);
    EXPECT_LT(piped.cpuSeconds, 1.0);

    const ProgramEnd desktop
        = runMeasured({OpenInDesktop, claim}, logs.path(), {}, {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(desktop.status, 0);
    EXPECT_EQ(desktop.err, damaged + ".\n");
    EXPECT_LT(desktop.peakBytes, 256 * MiB);
    EXPECT_LT(desktop.cpuSeconds, 1.0);
    // What the desktop takes for a small picture that it opens.
    const ProgramEnd opened = runMeasured({OpenInDesktop, dir.file("photo.jpg")}, logs.path(), {},
                                          {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(opened.err, "");
    std::cout << "49157 x 27397 claimed in " << fs::file_size(claim) << " bytes: masume-batch "
              << batch.cpuSeconds << " s, " << batch.peakBytes / MiB
              << " MiB; the desktop's windows " << desktop.cpuSeconds << " s, "
              << desktop.peakBytes / MiB << " MiB (opening a 64 x 48 photo: " << opened.cpuSeconds
              << " s, " << opened.peakBytes / MiB << " MiB)\n";
}

// Allocations that fail in the real program, converting a 6000 x 4000
// JPEG over an old file. Under ulimit -v the memory guard refuses the
// picture before allocating (the sanitizer build reserves too much address
// space for ulimit -v). With a preloaded allocator that fails every block
// from some size on, allocations fail for real, at the reading, the
// drawing or the writing. Each run ends converted or with
// "メモリが不足しています", the old file kept; never by a signal.
TEST(ExecutableFaults, BatchWhenMemoryRunsShort)
{
    TempDir dir, logs;
    const std::string input = dir.file("big.jpg");
    writeJpegFile(photoLike(6000, 4000, 9), input);
    std::map<std::string, int> ends;
    // Each way runs to a JPEG file, a PNG file and standard output in turn.
    int runs = 0;
    const auto check = [&](const std::string &how, const std::vector<std::string> &environment,
                           const std::function<void()> &inChild) {
        TempDir work;
        const std::string name
            = std::vector<std::string> {"out.jpg", "out.png", "stdout"}[runs++ % 3];
        const std::string out = work.file(name);
        writeBytes(out, oldContent());
        const bool toStdout = name == "stdout";
        const std::vector<std::string> args = toStdout
            ? std::vector<std::string> {Batch,  "--kind", "square", "--format",
                                        "jpeg", "-o",     "-",      input}
            : std::vector<std::string> {Batch, "--kind", "square", "-o", out, input};
        const ProgramEnd end = runProgram(
            args, logs.path(),
            [&] {
                if (toStdout)
                    outputTo(out);
                if (inChild)
                    inChild();
            },
            environment);
        ++ends[how + ": exit " + std::to_string(end.status)];
        EXPECT_TRUE(end.status == 0 || end.status == 1) << how << ": " << end.status << end.err;
        if (end.status == 1) {
            EXPECT_EQ(end.err, line(input, msg::OutOfMemory)) << how;
            if (!toStdout) {
                EXPECT_EQ(fileBytes(out), oldContent()) << how;
            }
        } else if (name == "out.png") {
            EXPECT_TRUE(contentOf(out).starts_with("\x89PNG")) << how;
        } else {
            EXPECT_EQ(makeSurface(readPictureBytes(PictureKind::Jpeg, fileBytes(out))).width(),
                      6000)
                << how;
        }
        EXPECT_EQ(work.names(), (std::vector<std::string> {name})) << how;
    };
    if (!Sanitized)
        // Finely around what the program takes at its start and on its
        // way (its libraries, two threads' stacks and some megabytes of
        // bands; below 10 MB not even the libraries load), then well above
        // it.
        for (rlim_t megabytes = 10; megabytes <= 600; megabytes += megabytes < 40 ? 2 : 140)
            check("ulimit -v", {}, [=] { setLimit(RLIMIT_AS, megabytes << 20); });
    // The sanitizer's runtime must let the preloaded allocator come first,
    // and hand it null where it runs out.
    std::string sanitizer;
    if (Sanitized) {
        const char *options = std::getenv("ASAN_OPTIONS");
        sanitizer = std::string("ASAN_OPTIONS=") + (options ? options : "")
            + ":verify_asan_link_order=0:allocator_may_return_null=1";
    }
    const auto failing = [&](size_t bytes, const std::string &nth) {
        std::vector<std::string> environment
            = {"LD_PRELOAD=" + FailingPreload, "MASUME_FAIL_FROM=" + std::to_string(bytes)};
        if (!nth.empty())
            environment.push_back("MASUME_FAIL_NTH=" + nth);
        if (Sanitized)
            environment.push_back(sanitizer);
        return environment;
    };
    // The picture passes as rows: its blocks are bands of rows and the
    // writers' buffers, some tens of kilobytes and more.
    for (const size_t kilobytes : {16, 64, 256, 1024, 16384})
        check("every block from " + std::to_string(kilobytes) + " KiB failing",
              failing(kilobytes << 10, ""), {});
    // Blocks of 16 KiB or more failing from the n-th on, as when memory runs
    // out at that moment: at the reader's buffers, the bands, the mask's
    // rows, the writer's buffer.
    for (int n = 1; n <= 12; ++n)
        check("blocks from 16 KiB failing from the " + std::to_string(n) + ". on",
              failing(16 << 10, std::to_string(n)), {});
    for (const auto &[end, count] : ends)
        std::cout << end << (count > 1 ? " x " + std::to_string(count) : "") << "\n";
}

// A link to a file not yet there stays a link and that file is written; a
// name ending in "/" or naming a folder writes nothing.
TEST(ExecutableFaults, BatchThroughADanglingLinkAndToAFolder)
{
    TempDir dir;
    const std::string input = dir.file("in.bmp");
    writeBmpFile(photoLike(40, 30, 10), input);
    fs::create_directory(dir.path() / "pictures");
    fs::create_symlink("pictures/new.jpg", dir.path() / "link.jpg");
    const ProgramEnd linked = runProgram({Batch, "-o", dir.file("link.jpg"), input}, dir.path());
    EXPECT_EQ(linked.status, 0) << linked.err;
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.jpg"));
    EXPECT_EQ(makeSurface(readPicture(dir.file("pictures/new.jpg"))).width(), 40);

    fs::create_directory(dir.path() / "empty");
    for (const std::string &out : {dir.file("empty") + "/", dir.file("empty")}) {
        const ProgramEnd end = runProgram({Batch, "-o", out, input}, dir.path());
        EXPECT_EQ(end.status, 1) << out;
        EXPECT_EQ(end.err, line(input, formatMessage(msg::CannotCreate, {out})));
    }
    EXPECT_TRUE(fs::is_empty(dir.path() / "empty"));
    EXPECT_FALSE(fs::exists(dir.file("empty.bmp")));
}
