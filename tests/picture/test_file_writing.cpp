// Saving replaces a file as a whole or not at all.

#include "PictureTestSupport.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace masume;
using namespace masume::test;

namespace {

using Writer = void (*)(const Surface &, const std::string &);
const std::pair<const char *, Writer> Writers[] = {{"bmp", writeBmpFile}, {"jpg", writeJpegFile}};

const std::vector<uint8_t> OldContent = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};

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
        EXPECT_EQ(makeSurface(readPicture(name)).width(), 40);
        // The permission bits of the old file stay.
        EXPECT_EQ(modeOf(name), 0604u);
    }
    EXPECT_EQ(dir.names(), (std::vector<std::string> {"p.bmp", "p.jpg"}));

    // A new file gets the usual bits: 0666 less the umask.
    const mode_t mask = ::umask(022);
    writeBmpFile(Surface(2, 2), dir.file("new.bmp"));
    ::umask(mask);
    EXPECT_EQ(modeOf(dir.file("new.bmp")), 0644u);
}

TEST(FileWriting, SymbolicLinksStayAndTheirTargetIsReplaced)
{
    TempDir dir;
    writeBytes(dir.file("target.bmp"), OldContent);
    fs::create_symlink("target.bmp", dir.path() / "link.bmp");
    writeBmpFile(Surface(3, 1, PixelFormat::Rgb24, 0x00FF00), dir.file("link.bmp"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.bmp"));
    EXPECT_EQ(makeSurface(readPicture(dir.file("target.bmp"))).pixel(2, 0), 0x00FF00u);
    EXPECT_EQ(dir.names(), (std::vector<std::string> {"link.bmp", "target.bmp"}));
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
        EXPECT_EQ(names, (std::vector<std::string> {"old.bmp", "old.jpg"})) << folder;
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
