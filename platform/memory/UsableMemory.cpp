// SPDX-License-Identifier: GPL-3.0-or-later
// The memory limit of the control group, read from the files the kernel
// shows for it, and physical memory from sysconf.
#include "platform/memory/UsableMemory.h"

#include <QFile>

#include <algorithm>
#include <unistd.h>

namespace platform
{

namespace
{

// A limit file's value; 0 for "max", for cgroup v1's "no limit" (a number
// near 2^63, rounded down to pages) and for anything unreadable.
UInt64 ReadLimit(const QByteArray& path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const UInt64 bytes = file.read(64).trimmed().toULongLong(&ok);
    return ok && bytes < (UInt64(1) << 62) ? bytes : 0;
}

UInt64 Tighter(UInt64 a, UInt64 b)
{
    if (a == 0)
        return b;
    return b == 0 ? a : std::min(a, b);
}

// The tightest limit of group and every group above it, below mount.
UInt64 LimitUpFrom(const QByteArray& mount, QByteArray group, const char* limitFile)
{
    UInt64 limit = 0;
    for (;;) {
        limit = Tighter(limit, ReadLimit(mount + group + '/' + limitFile));
        const qsizetype slash = group.lastIndexOf('/');
        if (slash < 0 || group == "/")
            return limit;
        group = slash == 0 ? QByteArray("/") : group.left(slash);
    }
}

} // namespace

UInt64 CgroupMemoryLimit(const QByteArray& root)
{
    const QByteArray base = root.endsWith('/') ? root.chopped(1) : root;
    QFile list(QString::fromLocal8Bit(base + "/proc/self/cgroup"));
    if (!list.open(QIODevice::ReadOnly))
        return 0;
    UInt64 limit = 0;
    // Lines read "hierarchy-ID:controllers:path"; v2's one hierarchy has ID 0
    // and no controllers, v1's memory hierarchy names "memory" among them.
    for (const QByteArray& line : list.readAll().split('\n')) {
        const qsizetype first = line.indexOf(':');
        const qsizetype second = first < 0 ? -1 : line.indexOf(':', first + 1);
        if (second < 0)
            continue;
        const QByteArray id = line.left(first);
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        const QByteArray group = line.mid(second + 1);
        if (!group.startsWith('/'))
            continue;
        if (id == "0" && controllers.isEmpty())
            limit = Tighter(limit, LimitUpFrom(base + "/sys/fs/cgroup", group, "memory.max"));
        else if (controllers.split(',').contains("memory"))
            limit = Tighter(
                limit, LimitUpFrom(base + "/sys/fs/cgroup/memory", group, "memory.limit_in_bytes"));
    }
    return limit;
}

UInt64 UsableMemory(const QByteArray& root)
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const UInt64 physical = pages > 0 && pageSize > 0 ? UInt64(pages) * UInt64(pageSize) : 0;
    return Tighter(physical, CgroupMemoryLimit(root));
}

} // namespace platform
