// SPDX-License-Identifier: GPL-3.0-or-later
// Date conversion between the 1904-based and the 1970-based forms.
#include "platform/files/Dates.h"

namespace platform
{

namespace
{
constexpr UInt64 kNanosecondsPerSecond = 1000000000u;
constexpr UInt64 kFractionsPerSecond = 65536u;
// The largest second count the 48 bits of a platform date hold.
constexpr SInt64 kLastSecond = (SInt64(1) << 48) - 1;
} // namespace

UTCDateTime UTCDateTimeFromTimespec(const std::timespec& time)
{
    UTCDateTime date{};
    SInt64 seconds = SInt64(time.tv_sec);
    SInt64 nanoseconds = SInt64(time.tv_nsec);
    if (nanoseconds < 0 || UInt64(nanoseconds) >= kNanosecondsPerSecond) {
        seconds += nanoseconds / SInt64(kNanosecondsPerSecond);
        nanoseconds %= SInt64(kNanosecondsPerSecond);
        if (nanoseconds < 0) {
            nanoseconds += SInt64(kNanosecondsPerSecond);
            --seconds;
        }
    }
    if (seconds < -kSecondsFrom1904To1970)
        return date;
    seconds += kSecondsFrom1904To1970;
    if (seconds > kLastSecond) {
        seconds = kLastSecond;
        nanoseconds = SInt64(kNanosecondsPerSecond) - 1;
    }
    date.highSeconds = UInt16(UInt64(seconds) >> 32);
    date.lowSeconds = UInt32(UInt64(seconds) & 0xFFFFFFFFu);
    // Rounded down, so the fraction never claims a later instant.
    date.fraction = UInt16(UInt64(nanoseconds) * kFractionsPerSecond / kNanosecondsPerSecond);
    return date;
}

std::timespec TimespecFromUTCDateTime(const UTCDateTime& date)
{
    const SInt64 seconds = SInt64((UInt64(date.highSeconds) << 32) | date.lowSeconds);
    std::timespec time{};
    time.tv_sec = std::time_t(seconds - kSecondsFrom1904To1970);
    // Rounded up: the smallest nanosecond count that rounds down to the
    // same fraction again.
    time.tv_nsec = long((UInt64(date.fraction) * kNanosecondsPerSecond + kFractionsPerSecond - 1) /
                        kFractionsPerSecond);
    return time;
}

} // namespace platform
