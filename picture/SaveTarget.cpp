#include "picture/SaveTarget.h"

#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace masume {

namespace {

// The content of a symbolic link; empty when it cannot be read.
std::string linkContent(const std::string &link, size_t size)
{
    std::vector<char> buffer(size + 1);
    for (;;) {
        const ssize_t got = ::readlink(link.c_str(), buffer.data(), buffer.size());
        if (got < 0)
            return {};
        if (size_t(got) < buffer.size())
            return std::string(buffer.data(), size_t(got));
        buffer.resize(buffer.size() * 2); // the link changed meanwhile
    }
}

} // namespace

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string followLinks(const std::string &fileName)
{
    std::string path = fileName;
    // The kernel's own limit for a chain of links.
    for (int links = 0; links < 40; ++links) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        const std::string next = linkContent(path, size_t(st.st_size));
        if (next.empty())
            return {};
        const size_t slash = path.rfind('/');
        path = next[0] == '/' || slash == std::string::npos ? next
                                                            : path.substr(0, slash + 1) + next;
    }
    return {};
}

} // namespace masume
