// SPDX-License-Identifier: GPL-3.0-or-later
// How much memory this process may really use. A program in a container or
// a limited user slice can see far more physical memory than its control
// group lets it have; past the group's limit the kernel ends it, so sizing
// work by physical memory alone would admit more than can ever fit.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

namespace platform
{

// The tightest memory limit of this process's control group and the groups
// above it: memory.max under cgroup v2, memory.limit_in_bytes under v1. 0
// when none is set or none can be read. root is the file system's root, "/"
// but for tests, which give a tree of their own (proc/self/cgroup,
// sys/fs/cgroup/...).
UInt64 CgroupMemoryLimit(const QByteArray& root = "/");

// The smaller of physical memory and the control group's limit.
UInt64 UsableMemory(const QByteArray& root = "/");

} // namespace platform
