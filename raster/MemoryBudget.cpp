#include "raster/MemoryBudget.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace masume {

namespace {

constexpr uint64_t None = UINT64_MAX;

// Limits this large mean "none": cgroup v1 writes 2^63 less a page for an
// unlimited group.
constexpr uint64_t Unlimited = uint64_t(1) << 62;

uint64_t pageSize()
{
    const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? uint64_t(size) : 4096;
}

uint64_t physicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    return pages > 0 ? uint64_t(pages) * pageSize() : None;
}

uint64_t addressSpaceLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return None;
    return uint64_t(limit.rlim_cur);
}

std::vector<std::string> linesOf(const std::string &file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A limit file's number; None for "max", a number meaning unlimited, or a
// file that cannot be read.
uint64_t limitIn(const std::string &file)
{
    std::ifstream in(file);
    std::string text;
    if (!(in >> text) || text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return None;
    const uint64_t value = std::stoull(text);
    return value >= Unlimited ? None : value;
}

// One mounted cgroup hierarchy: the cgroup at its root and where it is
// mounted.
struct Mount
{
    std::string root, point;
};

// The mounts of file system type `type` whose super options hold
// `option` (any when empty), from /proc/self/mountinfo: "ID PARENT M:N ROOT
// POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPEROPTIONS".
std::vector<Mount> mountsOf(const std::vector<std::string> &mountinfo, const std::string &type,
                            const std::string &option)
{
    std::vector<Mount> found;
    for (const std::string &line : mountinfo) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point, options, field;
        fields >> id >> parent >> device >> root >> point >> options;
        while (fields >> field && field != "-") { }
        std::string fsType, source, superOptions;
        fields >> fsType >> source >> superOptions;
        if (fsType != type)
            continue;
        if (!option.empty()
            && ("," + superOptions + ",").find("," + option + ",") == std::string::npos)
            continue;
        found.push_back({root, point});
    }
    return found;
}

// The smallest limit in `file` of the cgroup at `path` and of its ancestors
// up to the root of the mount.
uint64_t smallestAlongPath(const std::string &root, const Mount &mount, const std::string &path,
                           const char *file)
{
    // The process's cgroup path counts from the hierarchy's root; the mount
    // shows the part below mount.root.
    std::string inside = path;
    if (mount.root != "/") {
        if (inside.compare(0, mount.root.size(), mount.root) == 0)
            inside = inside.substr(mount.root.size());
        else
            inside.clear(); // outside the part mounted: only its top counts
    }
    const std::string top = root + (mount.point == "/" ? "" : mount.point);
    uint64_t smallest = None;
    for (;;) {
        smallest = std::min(smallest, limitIn(top + inside + "/" + file));
        const size_t slash = inside.rfind('/');
        if (inside.empty() || slash == std::string::npos)
            break;
        inside.erase(slash);
    }
    return smallest;
}

// Physical memory and the cgroup limit, which do not change while the
// program runs (for all it can know).
uint64_t machineLimit()
{
    static const uint64_t value = std::min(physicalMemory(), cgroupMemoryLimit("/"));
    return value;
}

} // namespace

uint64_t cgroupMemoryLimit(const std::string &root)
{
    const std::string base = root == "/" ? "" : root;
    const std::vector<std::string> mountinfo = linesOf(base + "/proc/self/mountinfo");
    uint64_t smallest = None;
    // Lines "ID:CONTROLLERS:PATH": "0::PATH" for cgroup v2, a list naming
    // "memory" for the v1 memory controller.
    for (const std::string &line : linesOf(base + "/proc/self/cgroup")) {
        const size_t first = line.find(':');
        const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos)
            continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        if (controllers.empty() && line.compare(0, first, "0") == 0) {
            for (const Mount &m : mountsOf(mountinfo, "cgroup2", ""))
                smallest = std::min(smallest, smallestAlongPath(base, m, path, "memory.max"));
        } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
            for (const Mount &m : mountsOf(mountinfo, "cgroup", "memory"))
                smallest
                    = std::min(smallest, smallestAlongPath(base, m, path, "memory.limit_in_bytes"));
        }
    }
    return smallest;
}

uint64_t memoryLimit()
{
    return std::min(machineLimit(), addressSpaceLimit());
}

uint64_t memoryHeadroom()
{
    uint64_t size = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> size >> resident;
    size *= pageSize();
    resident *= pageSize();
    const auto less = [](uint64_t limit, uint64_t used) {
        return limit == None ? None : limit > used ? limit - used : 0;
    };
    return std::min(less(machineLimit(), resident), less(addressSpaceLimit(), size));
}

} // namespace masume
