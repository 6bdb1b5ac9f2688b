// The memory a process may use, read from fake control-group trees laid out
// as the kernel shows them under v2 and v1.
#include "platform/memory/UsableMemory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{

using testsupport::TempFolder;
using testsupport::WriteFile;

constexpr UInt64 kGiB = UInt64(1) << 30;

struct Case {
    const char* what;
    QByteArray groups;                                    // proc/self/cgroup
    std::vector<std::pair<QByteArray, QByteArray>> files; // below sys/fs/cgroup
    UInt64 limit;
};

TEST(UsableMemory, TheTightestLimitOfTheGroupAndTheGroupsAboveIt)
{
    const Case cases[] = {
        {"v2, a limited user slice",
         "0::/user.slice/user-1000.slice/app.scope\n",
         {{"user.slice/user-1000.slice/app.scope/memory.max", "2147483648\n"},
          {"user.slice/user-1000.slice/memory.max", "max\n"},
          {"user.slice/memory.max", "max\n"}},
         2 * kGiB},
        {"v2, the parent tighter than the group",
         "0::/a/b\n",
         {{"a/b/memory.max", "8589934592\n"}, {"a/memory.max", "1073741824\n"}},
         kGiB},
        {"v2, no limit anywhere", "0::/a\n", {{"a/memory.max", "max\n"}}, 0},
        {"v2, a container whose group is the root of what it sees",
         "0::/\n",
         {{"memory.max", "536870912\n"}},
         kGiB / 2},
        {"v1, a limited memory hierarchy",
         "12:pids:/docker/x\n4:memory:/docker/x\n0::/\n",
         {{"memory/docker/x/memory.limit_in_bytes", "3221225472\n"},
          {"memory/docker/memory.limit_in_bytes", "9223372036854771712\n"}},
         3 * kGiB},
        {"v1, the memory controller shared with another",
         "4:cpu,memory:/job\n",
         {{"memory/job/memory.limit_in_bytes", "1073741824\n"}},
         kGiB},
        {"v1, unlimited (the page-rounded maximum)",
         "4:memory:/\n",
         {{"memory/memory.limit_in_bytes", "9223372036854771712\n"}},
         0},
        {"v1, a group path the container does not show: the root it does",
         "4:memory:/process_api/abc\n",
         {{"memory/memory.limit_in_bytes", "4294967296\n"}},
         4 * kGiB},
        {"both, the tighter wins",
         "4:memory:/j\n0::/j\n",
         {{"memory/j/memory.limit_in_bytes", "4294967296\n"}, {"j/memory.max", "2147483648\n"}},
         2 * kGiB},
        {"a group without the memory controller",
         "3:cpu:/g\n",
         {{"cpu/g/memory.max", "1024\n"}},
         0},
        {"garbage in the limit file", "0::/g\n", {{"g/memory.max", "lots\n"}}, 0},
        {"an empty list of groups", "", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        ASSERT_TRUE(WriteFile(root / "proc/self/cgroup", c.groups));
        for (const auto& [file, text] : c.files)
            ASSERT_TRUE(WriteFile(root / "sys/fs/cgroup/" + file, text));
        EXPECT_EQ(platform::CgroupMemoryLimit(root.path()), c.limit);
    }
}

TEST(UsableMemory, IsPhysicalMemoryUnlessTheGroupAllowsLess)
{
    const UInt64 physical = UInt64(::sysconf(_SC_PHYS_PAGES)) * UInt64(::sysconf(_SC_PAGESIZE));
    TempFolder root;
    EXPECT_EQ(platform::UsableMemory(root.path()), physical) << "no cgroup file at all";

    ASSERT_TRUE(WriteFile(root / "proc/self/cgroup", "0::/small\n"));
    ASSERT_TRUE(WriteFile(root / "sys/fs/cgroup/small/memory.max", "268435456\n"));
    EXPECT_EQ(platform::UsableMemory(root.path()), std::min(physical, kGiB / 4));

    ASSERT_TRUE(WriteFile(root / "sys/fs/cgroup/small/memory.max",
                          QByteArray::number(physical * 2) + '\n'));
    EXPECT_EQ(platform::UsableMemory(root.path()), physical) << "a limit above what there is";
}

} // namespace
