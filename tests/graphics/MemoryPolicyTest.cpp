// SPDX-License-Identifier: GPL-3.0-or-later
// The memory a process may use, read from fake control-group trees laid out
// as the kernel shows them under v2 and v1, and the budget made of it.
#include "platform/memory/MemoryPolicy.h"
#include "platform/memory/UsableMemory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
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

TEST(MemoryPolicy, TheBudgetIsAQuarterOfPhysicalMemoryOrOfTheGroupsLimit)
{
    const UInt64 physical = UInt64(::sysconf(_SC_PHYS_PAGES)) * UInt64(::sysconf(_SC_PAGESIZE));
    ASSERT_GT(physical, kGiB / 4);
    struct Budget {
        const char* what;
        std::optional<QByteArray> groups; // proc/self/cgroup, or none at all
        std::vector<std::pair<QByteArray, QByteArray>> files;
        UInt64 usable;
    };
    const Budget cases[] = {
        {"no cgroup file", std::nullopt, {}, physical},
        {"v2, a limit on a nested group",
         "0::/user.slice/user-1000.slice/app.scope\n",
         {{"user.slice/user-1000.slice/app.scope/memory.max", "268435456\n"},
          {"user.slice/memory.max", "max\n"}},
         kGiB / 4},
        {"v2, \"max\"", "0::/a\n", {{"a/memory.max", "max\n"}}, physical},
        {"v2, a group without a limit file", "0::/a\n", {}, physical},
        {"v1, a limit",
         "4:memory:/j\n",
         {{"memory/j/memory.limit_in_bytes", "268435456\n"}},
         kGiB / 4},
        {"v1, unlimited",
         "4:memory:/\n",
         {{"memory/memory.limit_in_bytes", "9223372036854771712\n"}},
         physical},
        {"a limit above physical memory",
         "0::/big\n",
         {{"big/memory.max", QByteArray::number(physical * 2) + '\n'}},
         physical},
    };
    for (const Budget& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        if (c.groups) {
            ASSERT_TRUE(WriteFile(root / "proc/self/cgroup", *c.groups));
        }
        for (const auto& [file, text] : c.files)
            ASSERT_TRUE(WriteFile(root / "sys/fs/cgroup/" + file, text));
        EXPECT_EQ(platform::UsableMemory(root.path()), c.usable);
        EXPECT_EQ(platform::DefaultPictureMemoryBudget(root.path()), c.usable / 4);
    }
}

TEST(MemoryPolicy, TheBudgetIsSetAndGivenBack)
{
    const UInt64 byDefault = platform::PictureMemoryBudget();
    EXPECT_EQ(byDefault, platform::DefaultPictureMemoryBudget());
    platform::SetPictureMemoryBudget(12345);
    EXPECT_EQ(platform::PictureMemoryBudget(), 12345u);
    platform::SetPictureMemoryBudget(0);
    EXPECT_EQ(platform::PictureMemoryBudget(), byDefault);
}

TEST(MemoryPolicy, AKeptPictureCostsItsFileAndWhatItsLoaderDecodedAtTheHeader)
{
    constexpr UInt64 kAll = std::numeric_limits<UInt64>::max();
    EXPECT_EQ(platform::KeptPictureCost(1000, false, 50000), 1000u);
    EXPECT_EQ(platform::KeptPictureCost(1000, true, 50000), 51000u);
    EXPECT_EQ(platform::KeptPictureCost(1000, true, kAll), kAll) << "a header that claims too much";
}

} // namespace
