// SPDX-License-Identifier: GPL-3.0-or-later
// Exact conversion between the platform's dates (seconds since 1904 with a
// 16-bit fraction) and the system's (seconds since 1970 with nanoseconds).
//
// A fraction becomes the smallest nanosecond count that converts back to it,
// so a date set through the file manager reads back unchanged. Times before
// 1904 have no platform form and become 1904-01-01 00:00:00.
#pragma once

#include "platform/files/Files.h"

#include <ctime>

namespace platform
{

// Seconds between 1904-01-01 and 1970-01-01.
inline constexpr SInt64 kSecondsFrom1904To1970 = 2082844800;

UTCDateTime UTCDateTimeFromTimespec(const std::timespec& time);
std::timespec TimespecFromUTCDateTime(const UTCDateTime& date);

} // namespace platform
