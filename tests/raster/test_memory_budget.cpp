// The memory a process may still take: its cgroup's limit found through
// /proc/self/cgroup and /proc/self/mountinfo (laid out in a folder as each
// kind of system has them), and RLIMIT_AS less what the process holds.

#include "raster/MemoryBudget.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace masume;
namespace fs = std::filesystem;

namespace {

constexpr uint64_t GiB = uint64_t(1) << 30;
const std::string V1Unlimited = "9223372036854771712";

// A fake root: files under a fresh folder, removed at the end.
class FakeRoot
{
public:
    FakeRoot()
    {
        std::string pattern = (fs::temp_directory_path() / "masume-root-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~FakeRoot() { fs::remove_all(m_path); }
    void put(const std::string &file, const std::string &content)
    {
        const fs::path path = m_path + file;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << content;
    }
    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace

TEST(MemoryBudget, CgroupLimitIsTheSmallestAlongTheProcessesPath)
{
    struct Case
    {
        const char *what;
        std::string cgroup, mountinfo;
        std::vector<std::pair<std::string, std::string>> files;
        uint64_t limit;
    };
    const Case cases[] = {
        {"cgroup v2, a limit on the parent slice",
         "0::/user.slice/app.scope\n",
         "40 1 0:35 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw,nsdelegate\n",
         {{"/sys/fs/cgroup/user.slice/memory.max", "2147483648\n"},
          {"/sys/fs/cgroup/user.slice/app.scope/memory.max", "max\n"}},
         2 * GiB},
        {"cgroup v2 in a container with its own cgroup namespace",
         "0::/\n",
         "40 1 0:35 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n",
         {{"/sys/fs/cgroup/memory.max", "536870912\n"}},
         GiB / 2},
        {"cgroup v1 beside v2 (hybrid), a limit half-way",
         "9:name=systemd:/\n4:memory:/process_api/abc\n0::/\n",
         "30 25 0:26 / /sys/fs/cgroup rw - tmpfs tmpfs rw,mode=755\n"
         "35 30 0:30 / /sys/fs/cgroup/memory rw,nosuid - cgroup cgroup rw,memory\n"
         "36 30 0:31 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n",
         {{"/sys/fs/cgroup/memory/memory.limit_in_bytes", V1Unlimited},
          {"/sys/fs/cgroup/memory/process_api/memory.limit_in_bytes", "3221225472"},
          {"/sys/fs/cgroup/memory/process_api/abc/memory.limit_in_bytes", V1Unlimited}},
         3 * GiB},
        {"cgroup v1 in a container that sees only its own part",
         "5:cpu,cpuacct:/docker/abc\n4:memory:/docker/abc\n",
         "50 40 0:40 /docker/abc /sys/fs/cgroup/memory ro - cgroup cgroup rw,memory\n"
         "51 40 0:41 /docker/abc /sys/fs/cgroup/cpu ro - cgroup cgroup rw,cpu,cpuacct\n",
         {{"/sys/fs/cgroup/memory/memory.limit_in_bytes", "1073741824"},
          {"/sys/fs/cgroup/cpu/memory.limit_in_bytes", "1"}},
         GiB},
        {"no limit anywhere",
         "0::/init.scope\n",
         "40 1 0:35 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n",
         {{"/sys/fs/cgroup/init.scope/memory.max", "max\n"}},
         UINT64_MAX},
        {"no cgroup file system mounted", "0::/\n", "", {}, UINT64_MAX},
    };
    for (const Case &c : cases) {
        FakeRoot root;
        root.put("/proc/self/cgroup", c.cgroup);
        root.put("/proc/self/mountinfo", c.mountinfo);
        for (const auto &[file, content] : c.files)
            root.put(file, content);
        EXPECT_EQ(cgroupMemoryLimit(root.path()), c.limit) << c.what;
    }
    FakeRoot empty;
    EXPECT_EQ(cgroupMemoryLimit(empty.path()), UINT64_MAX);
}

// RLIMIT_AS counts what the process has mapped: the headroom is the limit
// less that, and the limit of one buffer is the limit itself. Set in a
// child, which the limit then binds alone.
TEST(MemoryBudget, AddressSpaceLimitLessWhatIsMapped)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        uint64_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const uint64_t mapped = pages * uint64_t(::sysconf(_SC_PAGESIZE));
        const uint64_t allowed = 256u << 20;
        const rlimit limit {rlim_t(mapped + allowed), rlim_t(mapped + allowed)};
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(2);
        const uint64_t headroom = memoryHeadroom();
        std::ifstream("/proc/self/statm") >> pages;
        const uint64_t mappedNow = pages * uint64_t(::sysconf(_SC_PAGESIZE));
        // What is mapped changes a little meanwhile (the allocator gives
        // back or takes pages). (The sanitizer build maps more than the
        // physical memory, which is then the smaller limit.)
        const uint64_t cap = mapped + allowed, slack = 4u << 20;
        const bool ok = memoryLimit() <= cap && headroom + mappedNow + slack >= cap
            && headroom + mappedNow <= cap + slack;
        if (!ok)
            std::fprintf(stderr, "mapped %llu, limit %llu, headroom %llu\n",
                         (unsigned long long)mappedNow, (unsigned long long)memoryLimit(),
                         (unsigned long long)headroom);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // Without such a limit: at most the physical memory, and less what the
    // process holds.
    const uint64_t physical
        = uint64_t(::sysconf(_SC_PHYS_PAGES)) * uint64_t(::sysconf(_SC_PAGESIZE));
    EXPECT_LE(memoryLimit(), physical);
    EXPECT_LT(memoryHeadroom(), memoryLimit());
}
