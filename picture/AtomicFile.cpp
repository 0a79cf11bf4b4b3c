#include "picture/AtomicFile.h"

#include "common/Error.h"
#include "common/Messages.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace masume {

namespace {

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a name stands for: a symbolic link's final target when it
// resolves, otherwise the name itself.
std::string resolveTarget(const std::string &fileName)
{
    struct stat st;
    if (::lstat(fileName.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return fileName;
    char *real = ::realpath(fileName.c_str(), nullptr);
    if (!real)
        return fileName;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

// A name no other save of this process uses; O_EXCL catches the rest.
std::string temporaryName(const std::string &target, unsigned attempt)
{
    static std::atomic<unsigned> counter {0};
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    // Cut so that the name stays within the 255 bytes a folder entry holds.
    const std::string base
        = (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
    return folder + "." + base + "." + std::to_string(::getpid()) + "-"
        + std::to_string(counter.fetch_add(1) + attempt) + ".tmp";
}

} // namespace

AtomicFile::AtomicFile(const std::string &fileName)
    : m_fileName(fileName)
    , m_target(resolveTarget(fileName))
{
    struct stat old;
    const bool replacing = ::stat(m_target.c_str(), &old) == 0;
    // Only a regular file is replaced, and only one the process could also
    // open for writing: renaming would otherwise overwrite a write-protected
    // file, or a device node with a plain file.
    if (m_target.empty() || m_target.back() == '/')
        raise(msg::CannotCreate, {m_fileName});
    if (replacing
        && (!S_ISREG(old.st_mode)
            || ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0))
        raise(msg::CannotCreate, {m_fileName});

    for (unsigned attempt = 0; m_fd < 0 && attempt < 100; ++attempt) {
        m_temporary = temporaryName(m_target, attempt);
        m_fd
            = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_temporary.clear();
        raise(msg::CannotCreate, {m_fileName});
    }
    if (replacing) {
        // Owner and group are kept where the process may give them (as
        // root); the permission bits always.
        if (::fchown(m_fd, old.st_uid, old.st_gid) != 0) {
            // not permitted: the new file is the process's own
        }
        if (::fchmod(m_fd, old.st_mode & 07777) != 0) {
            discard();
            raise(msg::CannotCreate, {m_fileName});
        }
    }
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

void AtomicFile::write(const void *data, size_t bytes)
{
    const auto *p = static_cast<const uint8_t *>(data);
    while (bytes > 0) {
        const ssize_t done = ::write(m_fd, p, bytes);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            discard();
            raise(msg::WriteError);
        }
        p += done;
        bytes -= size_t(done);
    }
}

void AtomicFile::commit()
{
    if (::fsync(m_fd) != 0) {
        discard();
        raise(msg::WriteError);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        discard();
        raise(msg::WriteError);
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        discard();
        raise(msg::CannotCreate, {m_fileName});
    }
    m_temporary.clear();
    // The rename itself reaches the disk with the folder; a failure here
    // leaves a complete file in place either way.
    const int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void writeWholeFile(const std::string &fileName, std::span<const uint8_t> bytes)
{
    AtomicFile file(fileName);
    file.write(bytes.data(), bytes.size());
    file.commit();
}

} // namespace masume
