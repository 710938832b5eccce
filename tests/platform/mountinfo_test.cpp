// Tests of the mount-table parser and of which mounts count as kernel interfaces.
#include "platform/posix/mountinfo.h"

#include <sys/sysmacros.h>

#include <gtest/gtest.h>

namespace tanmira::platform {
namespace {

TEST(ParseMountInfo, ReadsEachLineAndUndoesEscapes) {
    struct Row {
        const char* line;
        const char* point;  // nullptr: the line is passed over
        const char* type;
        const char* source;
        unsigned major, minor;
    };
    const Row rows[] = {
        {"28 1 252:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw,errors=remount-ro", "/", "ext4",
         "/dev/vda1", 252, 1},
        {"23 28 0:22 / /proc rw,nosuid - proc proc rw", "/proc", "proc", "proc", 0, 22},
        {"40 28 8:17 / /mnt/My\\040Disk rw - vfat /dev/sdb1 rw", "/mnt/My Disk", "vfat",
         "/dev/sdb1", 8, 17},
        {"43 28 0:38 /sub /mnt/t\\011b\\134c\\012 rw master:3 shared:4 - nfs4 srv:/e\\040x rw",
         "/mnt/t\tb\\c\n", "nfs4", "srv:/e x", 0, 38},
        {"44 28 0:39 / /odd\\0 rw - tmpfs a\\999 rw", "/odd\\0", "tmpfs", "a\\999", 0, 39},
        {"45 28 259:3 / /big rw - xfs /dev/nvme0n1p3 rw", "/big", "xfs", "/dev/nvme0n1p3", 259, 3},
        {"no dash in this line at all", nullptr, "", "", 0, 0},
        {"46 28 x:1 / /bad rw - ext4 /dev/x rw", nullptr, "", "", 0, 0},
        {"47 28 0:40 / /short rw - tmpfs", nullptr, "", "", 0, 0},
        {"", nullptr, "", "", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const std::vector<Mount> mounts = ParseMountInfo(row.line);
        if (row.point == nullptr) {
            EXPECT_TRUE(mounts.empty());
            continue;
        }
        ASSERT_EQ(mounts.size(), 1u);
        EXPECT_EQ(mounts[0].point, row.point);
        EXPECT_EQ(mounts[0].type, row.type);
        EXPECT_EQ(mounts[0].source, row.source);
        EXPECT_EQ(mounts[0].device, makedev(row.major, row.minor));
    }
}

TEST(ParseMountInfo, KeepsTheKernelOrderAndFlagsKernelInterfaces) {
    const std::vector<Mount> mounts = ParseMountInfo(
        "28 1 252:1 / / rw - ext4 /dev/vda1 rw\n"
        "22 28 0:21 / /sys rw - sysfs sysfs rw\n"
        "23 28 0:22 / /proc rw - proc proc rw\n"
        "24 22 0:23 / /sys/fs/cgroup ro - tmpfs tmpfs ro\n"
        "25 28 0:24 / /procedures rw - ext4 /dev/vdb rw\n"
        "26 28 0:25 / /dev rw - devtmpfs udev rw\n"
        "27 28 0:26 / /run rw - tmpfs tmpfs rw\n"
        "29 28 0:27 / /mnt/a\\040b rw - cgroup2 cgroup2 rw\n");
    std::vector<std::string> points;
    for (const Mount& m : mounts)
        points.push_back(m.point);
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/sys", "/proc", "/sys/fs/cgroup",
                                                "/procedures", "/dev", "/run", "/mnt/a b"}));
    // Inside sysfs counts whatever the type; a name that merely begins like /proc does not.
    EXPECT_EQ(KernelInterfaces(mounts),
              (std::vector<bool>{false, true, true, true, false, true, false, true}));
}

}  // namespace
}  // namespace tanmira::platform
