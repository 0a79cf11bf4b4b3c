#include "common/Error.h"
#include "common/Messages.h"
#include "picture/PictureData.h"
#include "raster/MemoryBudget.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace masume {

namespace {

struct FileDescriptor
{
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

std::vector<uint8_t> readFileBytes(const std::string &fileName)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below
    // with every other file that is not regular.
    FileDescriptor file {::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (file.fd < 0)
        raise(msg::CannotOpen, {fileName});
    struct stat st;
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        raise(msg::CannotOpen, {fileName});
    if (uint64_t(st.st_size) > memoryHeadroom())
        raise(msg::OutOfMemory);

    // The size of the open moment counts: a file that grows meanwhile is
    // read up to it, one that shrinks up to its new end.
    std::vector<uint8_t> bytes(size_t(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.fd, bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            raise(msg::ReadError);
        }
        if (got == 0)
            break;
        done += size_t(got);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace masume
