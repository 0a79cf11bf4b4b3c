#include "picture/AtomicFile.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "picture/EndSignals.h"
#include "picture/SaveTarget.h"
#include "picture/WholeWrites.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace masume {

namespace {

std::atomic<bool> unnamedFiles {true};

// A name beside the target that no other save uses: the process id and a
// counter, the old name cut so that the whole stays within the 255 bytes of
// a folder entry. O_EXCL or linkat's EEXIST catches the rest.
std::string temporaryName(const std::string &targetBase, unsigned attempt)
{
    static std::atomic<unsigned> counter {0};
    std::string name(1, '.');
    name.append(targetBase, 0, 200);
    name += '.';
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(counter.fetch_add(1) + attempt);
    name += ".tmp";
    return name;
}

// Errors of O_TMPFILE that mean "this file system has no unnamed files".
bool lacksUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Copies every extended attribute of the file `from` that the file system
// of `to` takes; the others (a namespace the process may not set, a file
// system without them) are left out.
void copyExtendedAttributes(const std::string &from, int to)
{
    const ssize_t listSize = ::listxattr(from.c_str(), nullptr, 0);
    if (listSize <= 0)
        return;
    std::vector<char> names(static_cast<size_t>(listSize));
    const ssize_t listed = ::listxattr(from.c_str(), names.data(), names.size());
    if (listed <= 0)
        return;
    std::vector<char> value;
    for (size_t at = 0; at < size_t(listed);) {
        const char *name = names.data() + at;
        at += std::char_traits<char>::length(name) + 1;
        const ssize_t size = ::getxattr(from.c_str(), name, nullptr, 0);
        if (size < 0)
            continue;
        value.resize(size_t(size));
        const ssize_t got = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (got >= 0)
            ::fsetxattr(to, name, value.data(), size_t(got), 0);
    }
}

} // namespace

AtomicFile::AtomicFile(const std::string &fileName)
    : m_fileName(fileName)
    , m_target(followLinks(fileName))
    , m_targetBase(baseNameOf(m_target))
{
    if (fileName.empty() || fileName.back() == '/' || m_targetBase.empty())
        raise(msg::CannotCreate, {m_fileName});
    struct stat old;
    m_replacing = ::lstat(m_target.c_str(), &old) == 0;
    // Only a regular file is replaced, and only one the process could also
    // open for writing: the rename would otherwise replace a folder, a
    // device node or a write-protected file.
    if (m_replacing
        && (!S_ISREG(old.st_mode)
            || ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0))
        raise(msg::CannotCreate, {m_fileName});

    const std::string folder = folderOf(m_target);
    m_folder = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0 && errno == EACCES)
        m_folder = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        raise(msg::CannotCreate, {m_fileName});
    try {
        createUnnamed();
        if (m_fd < 0)
            createNamed();
        if (m_replacing)
            takeOverAttributes();
    } catch (...) {
        discard();
        throw;
    }
}

void AtomicFile::useUnnamedFiles(bool use)
{
    unnamedFiles = use;
}

void AtomicFile::createUnnamed()
{
    if (!unnamedFiles)
        return;
    m_fd = ::openat(m_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd < 0 && !lacksUnnamedFiles(errno))
        raise(msg::CannotCreate, {m_fileName});
}

void AtomicFile::createNamed()
{
    for (unsigned attempt = 0; m_fd < 0 && attempt < 100; ++attempt) {
        std::string name = temporaryName(m_targetBase, attempt);
        // Created and registered as one step, so that no signal finds the
        // file without finding its name; nothing in it allocates.
        BlockedEndSignals blocked;
        m_fd = ::openat(m_folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                        0666);
        if (m_fd >= 0) {
            m_temporary.swap(name);
            m_registration = removeOnEndSignal(m_folder, m_temporary.c_str());
        } else if (errno != EEXIST) {
            break;
        }
    }
    if (m_fd < 0)
        raise(msg::CannotCreate, {m_fileName});
}

void AtomicFile::takeOverAttributes()
{
    struct stat old;
    if (::stat(m_target.c_str(), &old) != 0)
        raise(msg::CannotCreate, {m_fileName});
    // Owner and group where the process may give them (as root); changing
    // them clears set-id bits, so the attributes and the mode come after.
    if (::fchown(m_fd, old.st_uid, old.st_gid) != 0) {
        // not permitted: the new file is the process's own
    }
    copyExtendedAttributes(m_target, m_fd);
    if (::fchmod(m_fd, old.st_mode & 07777) != 0)
        raise(msg::CannotCreate, {m_fileName});
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::discard() noexcept
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        BlockedEndSignals blocked;
        ::unlinkat(m_folder, m_temporary.c_str(), 0);
        forgetOnEndSignal(m_registration);
        m_registration = -1;
        m_temporary.clear();
    }
    if (m_folder >= 0) {
        ::close(m_folder);
        m_folder = -1;
    }
}

bool AtomicFile::tryWrite(const void *data, size_t bytes) noexcept
{
    return m_fd >= 0 && writeWhole(m_fd, data, bytes);
}

bool AtomicFile::tryWriteAt(uint64_t offset, const void *data, size_t bytes) noexcept
{
    return m_fd >= 0 && writeWholeAt(m_fd, offset, data, bytes);
}

void AtomicFile::write(const void *data, size_t bytes)
{
    if (!tryWrite(data, bytes))
        raise(msg::WriteError);
}

void AtomicFile::giveTemporaryName()
{
    // linkat of the descriptor itself needs CAP_DAC_READ_SEARCH; the
    // descriptor's entry in /proc serves everyone else.
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string name = temporaryName(m_targetBase, attempt);
        BlockedEndSignals blocked; // nothing below allocates
        int linked = ::linkat(m_fd, "", m_folder, name.c_str(), AT_EMPTY_PATH);
        if (linked != 0 && errno != EEXIST)
            linked = ::linkat(AT_FDCWD, self.c_str(), m_folder, name.c_str(), AT_SYMLINK_FOLLOW);
        if (linked == 0) {
            m_temporary.swap(name);
            m_registration = removeOnEndSignal(m_folder, m_temporary.c_str());
            return;
        }
        if (errno != EEXIST)
            break;
    }
    raise(msg::CannotCreate, {m_fileName});
}

void AtomicFile::commit()
{
    if (m_fd < 0 || ::fsync(m_fd) != 0)
        raise(msg::WriteError);
    if (m_temporary.empty())
        giveTemporaryName();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        raise(msg::WriteError);
    {
        BlockedEndSignals blocked;
        if (::renameat(m_folder, m_temporary.c_str(), m_folder, m_targetBase.c_str()) != 0)
            raise(msg::CannotCreate, {m_fileName});
        forgetOnEndSignal(m_registration);
        m_registration = -1;
        m_temporary.clear();
    }
    // The rename reaches the disk with the folder; a failure here leaves a
    // complete file in place either way.
    ::fsync(m_folder);
    ::close(m_folder);
    m_folder = -1;
}

void writeWholeFile(const std::string &fileName, std::span<const uint8_t> bytes)
{
    AtomicFile file(fileName);
    file.write(bytes.data(), bytes.size());
    file.commit();
}

} // namespace masume
