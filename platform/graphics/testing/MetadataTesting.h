// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of leaving out where a photo was taken need of the
// metadata filters, so that they never include their headers. Built into
// tessaly_graphics_test_support, never into the program.
#pragma once

#include <QByteArray>

namespace platform::testing
{

// The IPTC filter run on block: true with the block less its place
// datasets in *filtered, false with *filtered empty when it refused block.
bool IptcWithoutPlaces(const QByteArray& block, QByteArray* filtered);

} // namespace platform::testing
