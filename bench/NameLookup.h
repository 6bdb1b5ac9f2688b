// SPDX-License-Identifier: GPL-3.0-or-later
// Name look-up in a crowded folder: the file manager must find a name
// without regard to letter case quickly in a folder of 100,000 items, also
// while a batch keeps adding files to it.
#pragma once

#include <QByteArray>

// Prints a table of microseconds per operation; false when the folder
// index does not keep look-ups fast.
bool RunNameLookupBenchmark(const QByteArray& work);
