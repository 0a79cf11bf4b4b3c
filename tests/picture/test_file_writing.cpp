// Saving replaces a file as a whole or not at all.

#include "PictureTestSupport.h"
#include "PngTestSupport.h"
#include "common/Messages.h"
#include "picture/AtomicFile.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <iostream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace masume;
using namespace masume::test;

namespace {

using Writer = void (*)(const Surface &, const std::string &);
const std::pair<const char *, Writer> Writers[]
    = {{"bmp", writeBmpFile}, {"jpg", writeJpegFile}, {"png", writePngFile}};

const std::vector<uint8_t> OldContent = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};

// The width of a written file, read back by the reader of its kind.
int writtenWidth(const std::string &name)
{
    if (extensionOf(name) == "png")
        return decodePng(fileBytes(name)).width();
    return makeSurface(readPicture(name)).width();
}

mode_t modeOf(const std::string &name)
{
    struct stat st;
    EXPECT_EQ(::stat(name.c_str(), &st), 0) << name;
    return st.st_mode & 07777;
}

} // namespace

TEST(FileWriting, ReplacesTheOldFileAndLeavesNothingElse)
{
    TempDir dir;
    for (const auto &[ext, write] : Writers) {
        const std::string name = dir.file(std::string("p.") + ext);
        writeBytes(name, OldContent);
        ASSERT_EQ(::chmod(name.c_str(), 0604), 0);
        write(photoLike(40, 30, 1), name);
        EXPECT_EQ(writtenWidth(name), 40);
        // The permission bits of the old file stay.
        EXPECT_EQ(modeOf(name), 0604u);
    }
    EXPECT_EQ(dir.names(), (std::vector<std::string> {"p.bmp", "p.jpg", "p.png"}));

    // A new file gets the usual bits: 0666 less the umask.
    const mode_t mask = ::umask(022);
    writeBmpFile(Surface(2, 2), dir.file("new.bmp"));
    ::umask(mask);
    EXPECT_EQ(modeOf(dir.file("new.bmp")), 0644u);
}

// A link stays a link: the file it names receives the content, followed
// link by link, also when it does not exist yet; a loop of links, a link to
// a folder and one into a missing folder write nothing.
TEST(FileWriting, SymbolicLinksStayAndTheFileTheyNameReceivesTheContent)
{
    TempDir dir, other;
    fs::create_directory(dir.path() / "sub");
    writeBytes(dir.file("target.bmp"), OldContent);
    const std::pair<std::string, std::string> links[] = {
        {"link.bmp", "target.bmp"}, // an existing file
        {"dangling.bmp", "new.bmp"}, // a file not yet there
        {"first.bmp", "second.bmp"}, // a chain, ending in a folder
        {"second.bmp", "sub/third.bmp"}, // the link counts from
        {"sub/third.bmp", "../sub/last.bmp"}, // its own folder
        {"away.bmp", other.file("away.bmp")}, // an absolute name
        {"loop1.bmp", "loop2.bmp"},           {"loop2.bmp", "loop1.bmp"}, {"folder.bmp", "sub"},
        {"nowhere.bmp", "missing/x.bmp"},
    };
    for (const auto &[link, target] : links)
        fs::create_symlink(target, dir.path() / link);
    const Surface green(3, 1, PixelFormat::Rgb24, 0x00FF00);
    const std::pair<std::string, std::string> written[] = {
        {"link.bmp", dir.file("target.bmp")},
        {"dangling.bmp", dir.file("new.bmp")},
        {"first.bmp", dir.file("sub/last.bmp")},
        {"away.bmp", other.file("away.bmp")},
    };
    for (const auto &[name, file] : written) {
        writeBmpFile(green, dir.file(name));
        EXPECT_EQ(makeSurface(readPicture(file)).pixel(2, 0), 0x00FF00u) << name;
    }
    for (const char *name : {"loop1.bmp", "folder.bmp", "nowhere.bmp", "sub/"})
        EXPECT_EQ(errorOf([&] { writeBmpFile(green, dir.file(name)); }),
                  "ファイル " + dir.file(name) + " を作成できません");
    for (const auto &[link, target] : links)
        EXPECT_TRUE(fs::is_symlink(dir.path() / link)) << link;
    EXPECT_EQ(dir.names(),
              (std::vector<std::string> {"away.bmp", "dangling.bmp", "first.bmp", "folder.bmp",
                                         "link.bmp", "loop1.bmp", "loop2.bmp", "new.bmp",
                                         "nowhere.bmp", "second.bmp", "sub", "target.bmp"}));
    std::vector<std::string> inSub;
    for (const auto &e : fs::directory_iterator(dir.path() / "sub"))
        inSub.push_back(e.path().filename().string());
    std::sort(inSub.begin(), inSub.end());
    EXPECT_EQ(inSub, (std::vector<std::string> {"last.bmp", "third.bmp"}));
}

// The replaced file's owner and group (as root, who may set them), its
// permission bits and its extended attributes, an access control list
// among them, pass to the new file.
TEST(FileWriting, OwnerGroupModeAndExtendedAttributesStay)
{
    // An access control list in the kernel's form: the owner may read and
    // write, user 65534 and the group read, others nothing (mode 0640).
    const auto entry = [](uint16_t tag, uint16_t perm, uint32_t id) {
        return std::vector<uint8_t> {uint8_t(tag),       uint8_t(tag >> 8), uint8_t(perm),
                                     uint8_t(perm >> 8), uint8_t(id),       uint8_t(id >> 8),
                                     uint8_t(id >> 16),  uint8_t(id >> 24)};
    };
    std::vector<uint8_t> acl = {2, 0, 0, 0};
    for (const auto &e : {entry(0x01, 6, ~0u), entry(0x02, 4, 65534), entry(0x04, 4, ~0u),
                          entry(0x10, 4, ~0u), entry(0x20, 0, ~0u)})
        acl.insert(acl.end(), e.begin(), e.end());
    const std::string note = "kept across saves";
    const bool root = ::geteuid() == 0;

    TempDir dir;
    for (const auto &[ext, write] : Writers) {
        SCOPED_TRACE(ext);
        const std::string name = dir.file(std::string("p.") + ext);
        writeBytes(name, OldContent);
        if (root) {
            ASSERT_EQ(::chown(name.c_str(), 65534, 65534), 0);
        }
        const bool hasAcl
            = ::setxattr(name.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
        ASSERT_EQ(::chmod(name.c_str(), 0640), 0);
        const bool hasNote
            = ::setxattr(name.c_str(), "user.masume.note", note.data(), note.size(), 0) == 0;

        write(photoLike(20, 10, 3), name);
        struct stat st;
        ASSERT_EQ(::stat(name.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        if (root) {
            EXPECT_EQ(st.st_uid, 65534u);
            EXPECT_EQ(st.st_gid, 65534u);
        }
        const auto attribute = [&](const char *key) {
            std::vector<uint8_t> value(256);
            const ssize_t n = ::getxattr(name.c_str(), key, value.data(), value.size());
            value.resize(n < 0 ? 0 : size_t(n));
            return value;
        };
        if (hasAcl) {
            EXPECT_EQ(attribute("system.posix_acl_access"), acl);
        }
        if (hasNote) {
            EXPECT_EQ(attribute("user.masume.note"),
                      std::vector<uint8_t>(note.begin(), note.end()));
        }
        if (!hasAcl || !hasNote)
            std::cout << "this file system takes no" << (hasAcl ? "" : " ACLs")
                      << (hasNote ? "" : " user attributes") << ": not checked\n";
    }
}

// Until the rename, the new content has no name: a folder listing shows
// only the old file, and a process killed meanwhile leaves nothing.
TEST(FileWriting, TheNewFileHasNoNameUntilItReplacesTheOld)
{
    TempDir dir;
    const std::string name = dir.file("p.bmp");
    writeBytes(name, OldContent);
    {
        AtomicFile file(name);
        file.write("new", 3);
        EXPECT_EQ(dir.names(), (std::vector<std::string> {"p.bmp"}));
        EXPECT_EQ(fileBytes(name), OldContent);
        file.commit();
    }
    EXPECT_EQ(fileBytes(name), (std::vector<uint8_t> {'n', 'e', 'w'}));
    EXPECT_EQ(dir.names(), (std::vector<std::string> {"p.bmp"}));
}

namespace {

// A child process that starts a save of `name` and stops half-way; the
// pipe tells when it got there. With `go`, it then waits for a byte on
// that pipe and finishes the save.
struct HalfwaySave
{
    pid_t pid = -1;
    int ready = -1, go = -1;

    HalfwaySave(const std::string &name, bool unnamed, int ignoredSignal = 0)
    {
        int readyPipe[2], goPipe[2];
        if (::pipe(readyPipe) != 0 || ::pipe(goPipe) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            if (ignoredSignal)
                std::signal(ignoredSignal, SIG_IGN);
            // Whatever happens, the child ends here, not in the test runner.
            try {
                AtomicFile::useUnnamedFiles(unnamed);
                AtomicFile file(name);
                file.write("half", 4);
                [[maybe_unused]] auto w = ::write(readyPipe[1], "r", 1);
                char byte;
                while (::read(goPipe[0], &byte, 1) < 0 && errno == EINTR) { }
                file.write(" and whole", 10);
                file.commit();
                ::_exit(0);
            } catch (...) {
                ::_exit(3);
            }
        }
        ::close(readyPipe[1]);
        ::close(goPipe[0]);
        ready = readyPipe[0];
        go = goPipe[1];
        char byte;
        [[maybe_unused]] auto r = ::read(ready, &byte, 1);
    }
    ~HalfwaySave()
    {
        ::close(ready);
        ::close(go);
    }
    // The child's end: its exit status, or 128 + the signal that ended it.
    int finish(bool letGo)
    {
        if (letGo) [[maybe_unused]]
            auto w = ::write(go, "g", 1);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

} // namespace

// Where the file system has no unnamed files, the content goes under a
// temporary name from the start: Ctrl+C, SIGTERM and a closed terminal
// remove it, and the process still ends by its signal. An ignored signal
// stays ignored and the save goes on. With unnamed files, not even
// SIGKILL leaves anything.
TEST(FileWriting, EndingSignalsLeaveNothingBehind)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        const std::string name = dir.file("p.bmp");
        writeBytes(name, OldContent);
        HalfwaySave save(name, false);
        ASSERT_GT(save.pid, 0);
        EXPECT_EQ(dir.names().size(), 2u) << "the named temporary file is there";
        ::kill(save.pid, signal);
        EXPECT_EQ(save.finish(false), 128 + signal) << strsignal(signal);
        EXPECT_EQ(dir.names(), (std::vector<std::string> {"p.bmp"})) << strsignal(signal);
        EXPECT_EQ(fileBytes(name), OldContent);
    }
    {
        TempDir dir;
        const std::string name = dir.file("p.bmp");
        writeBytes(name, OldContent);
        HalfwaySave save(name, false, SIGHUP);
        ::kill(save.pid, SIGHUP);
        EXPECT_EQ(save.finish(true), 0);
        EXPECT_EQ(dir.names(), (std::vector<std::string> {"p.bmp"}));
        EXPECT_EQ(fileBytes(name),
                  (std::vector<uint8_t> {'h', 'a', 'l', 'f', ' ', 'a', 'n', 'd', ' ', 'w', 'h', 'o',
                                         'l', 'e'}));
    }
    for (const int signal : {SIGINT, SIGKILL}) {
        TempDir dir;
        const std::string name = dir.file("p.bmp");
        writeBytes(name, OldContent);
        HalfwaySave save(name, true);
        EXPECT_EQ(dir.names(), (std::vector<std::string> {"p.bmp"}));
        ::kill(save.pid, signal);
        EXPECT_EQ(save.finish(false), 128 + signal);
        EXPECT_EQ(dir.names(), (std::vector<std::string> {"p.bmp"}));
        EXPECT_EQ(fileBytes(name), OldContent);
    }
}

TEST(FileWriting, FilesThatCannotBeCreated)
{
    TempDir dir;
    writeBytes(dir.file("plain"), OldContent);
    ASSERT_EQ(::mkdir(dir.file("folder.bmp").c_str(), 0777), 0);
    // The tests may run as root, whom folder permissions do not stop: a
    // missing folder, a "folder" that is a file, and a folder in the
    // file's place.
    const std::string names[]
        = {dir.file("missing/a.bmp"), dir.file("plain/a.bmp"), dir.file("folder.bmp")};
    for (const auto &[ext, write] : Writers)
        for (const std::string &name : names)
            EXPECT_EQ(errorOf([&] { write(Surface(4, 4), name); }),
                      "ファイル " + name + " を作成できません")
                << ext;
    EXPECT_EQ(dir.names(), (std::vector<std::string> {"folder.bmp", "plain"}));
    EXPECT_EQ(fileBytes(dir.file("plain")), OldContent);
}

// A folder the user may not write in, and a write-protected file in a
// folder they may: neither file is replaced, and nothing is left beside
// them. Permissions do not stop root, so there the saves run in a child that
// gives up root for the user "nobody" (65534).
TEST(FileWriting, ProtectedFoldersAndFilesStayAsTheyWere)
{
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string locked = dir.file("locked"), open = dir.file("open");
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0); // whatever the umask
    for (const auto &[ext, write] : Writers) {
        const std::string inLocked = locked + "/old." + ext, inOpen = open + "/old." + ext;
        writeBytes(inLocked, OldContent);
        writeBytes(inOpen, OldContent);
        ASSERT_EQ(::chmod(inOpen.c_str(), 0444), 0);
    }
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(77);
        int wrong = 0;
        for (const auto &[ext, write] : Writers)
            for (const std::string &name :
                 {locked + "/old." + ext, locked + "/new." + ext, open + "/old." + ext})
                wrong += errorOf([&] { write(Surface(4, 4), name); })
                    != "ファイル " + name + " を作成できません";
        ::_exit(wrong);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(locked.c_str(), 0755); // so that the folder can be removed
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot give up root";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "saves with a wrong or no error";
    for (const std::string &folder : {locked, open}) {
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string> {"old.bmp", "old.jpg", "old.png"})) << folder;
        for (const auto &[ext, write] : Writers)
            EXPECT_EQ(fileBytes(folder + "/old." + ext), OldContent) << folder << " " << ext;
    }
}

// A file-size limit cuts the write short: the error, the old file byte for
// byte, and no temporary file. The limit applies to the whole process, so
// the save runs in a child.
TEST(FileWriting, AShortWriteLeavesTheOldFile)
{
    for (const auto &[ext, write] : Writers) {
        TempDir dir;
        const std::string name = dir.file(std::string("old.") + ext);
        writeBytes(name, OldContent);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit {4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const std::string error = errorOf([&] { write(photoLike(200, 200, 7), name); });
            ::_exit(error == msg::WriteError ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ext << ": wrong or no error";
        EXPECT_EQ(fileBytes(name), OldContent) << ext;
        EXPECT_EQ(dir.names(), (std::vector<std::string> {std::string("old.") + ext}));
    }
}

// The writers read a surface by rows: the composite with grid, a record of
// blits never stored whole, is written to the same bytes as its stored
// copy (odd width: row padding), and writing does not make it stored. (How
// many picture-sized blocks saving takes: tests/faults.)
TEST(FileWriting, ACompositeIsWrittenByRowsAsItsStoredCopy)
{
    TempDir dir;
    std::mt19937 rng(12);
    const int w = 37, h = 23;
    Surface background(w, h, PixelFormat::Rgb24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            background.setPixel(x, y, rng() & White);
    Surface mask(w, h, PixelFormat::Mono1, White);
    for (int i = 0; i < w; i += 5) {
        mask.MoveTo(i, 0);
        mask.LineTo(i, h);
    }
    Surface colourLayer(w, h, PixelFormat::Rgb24);
    colourLayer.setBrushColor(0x2040C0);
    colourLayer.FillRect(0, 0, w, h);
    BitBlt(colourLayer, mask, RasterOp::SRCPAINT);
    Surface composite = background;
    BitBlt(composite, mask, RasterOp::MERGEPAINT);
    BitBlt(composite, colourLayer, RasterOp::SRCAND);
    ASSERT_FALSE(composite.hasStorage());
    Surface stored = composite;
    (void)stored.constScanLine(0);

    for (const auto &[name, write] : Writers) {
        const std::string ext = std::string(".") + name;
        write(composite, dir.file("composite" + ext));
        write(stored, dir.file("stored" + ext));
        EXPECT_EQ(fileBytes(dir.file("composite" + ext)), fileBytes(dir.file("stored" + ext)))
            << ext;
        EXPECT_FALSE(composite.hasStorage()) << ext << ": writing stored the composite";
    }
}
