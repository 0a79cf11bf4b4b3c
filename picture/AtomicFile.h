#pragma once

#include "picture/ByteSink.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace masume {

// A file written as a whole and then put in place of the file it replaces,
// so that a reader, a failed write, a signal or a crash never finds a
// half-written file: until commit() succeeds the old file stays byte for
// byte, and nothing is left beside it.
//
// The content goes into an unnamed file in the target's folder (O_TMPFILE),
// which vanishes with the process whatever ends it. commit() flushes it to
// disk, gives it a temporary name in the same folder (linkat) and renames
// that over the target at once, then flushes the folder: only between the
// link and the rename, microseconds, does a temporary name exist. Where the
// file system has no unnamed files, the content is written under the
// temporary name from the start; that name is removed on every failure and
// by SIGINT, SIGTERM and SIGHUP (see EndSignals.h).
//
// The new file keeps the old one's permission bits, its owner and group
// where the process may set them, and its extended attributes (ACLs among
// them) where the file system takes them; a new file gets 0666 less the
// umask. A symbolic link stays a link: the file it names, followed link by
// link, receives the content, also when that file does not exist yet.
//
// Errors: "ファイル %s を作成できません" when the name ends in "/", names a
// folder or anything but a regular file, a write-protected file, a missing
// or unwritable folder, or a loop of links, or when naming the new file
// fails; "ストリームへの書き込みエラー" when writing or flushing fails
// (disk full, file-size limit).
class AtomicFile final : public ByteSink
{
public:
    explicit AtomicFile(const std::string &fileName);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Appends bytes; raises "ストリームへの書き込みエラー".
    void write(const void *data, size_t bytes);
    // Appends bytes without raising, for callers inside a C library's
    // frames: false when the file system did not take them all.
    bool tryWrite(const void *data, size_t bytes) noexcept override;
    bool seekable() const override { return true; }
    bool tryWriteAt(uint64_t offset, const void *data, size_t bytes) noexcept override;
    // Flushes the file to disk and puts it in place of the old one.
    void commit();

    // Whether unnamed files are used where the file system has them (the
    // default); false takes the way of file systems without them, for
    // tests of that way.
    static void useUnnamedFiles(bool use);

private:
    void createUnnamed();
    void createNamed();
    void takeOverAttributes();
    void giveTemporaryName();
    void discard() noexcept;

    std::string m_fileName; // as given, for messages
    std::string m_target; // the file replaced or created, links followed
    std::string m_targetBase; // its name inside its folder
    std::string m_temporary; // inside the folder, while it exists
    int m_folder = -1;
    int m_fd = -1;
    int m_registration = -1; // of the temporary name, see EndSignals.h
    bool m_replacing = false;
};

// Writes bytes as the whole new content of a file through AtomicFile.
void writeWholeFile(const std::string &fileName, std::span<const uint8_t> bytes);

} // namespace masume
