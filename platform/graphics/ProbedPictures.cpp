// SPDX-License-Identifier: GPL-3.0-or-later
// The probes' findings, kept for the next open of the same unchanged file.
#include "ProbedPictures.h"

#include "platform/memory/MemoryPolicy.h"

#include <algorithm>
#include <list>
#include <mutex>
#include <vector>

namespace platform::graphics
{

namespace
{

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxKeptHeaders = 256;

struct Entry {
    QByteArray path;
    FileIdentity identity;
    PictureHeader header;
    ProbedPicture opened; // empty once handed over or let go
    UInt64 cost = 0;      // of opened, counted against kMaxKeptPictureBytes
    Clock::time_point keptAt;
};

// Everything below is guarded by gLock. Pictures let go under the lock are
// destroyed after it (closing a descriptor, freeing a decoded picture).
std::mutex gLock;
std::list<Entry> gEntries; // the latest probe first
int gKeptPictures = 0;
UInt64 gKeptBytes = 0;

// What a loader holds between reading the header and the pixels.
UInt64 CostOf(const PictureSource& source, const PictureHeader& header)
{
    return KeptPictureCost(UInt64(std::max(0LL, source.Identity().size)),
                           source.DecodesWholeAtHeader(), DecodedBytes(header));
}

void LetGo(Entry& entry, std::vector<ProbedPicture>* released)
{
    if (!entry.opened.source)
        return;
    released->push_back(std::move(entry.opened));
    entry.opened = {};
    --gKeptPictures;
    gKeptBytes -= entry.cost;
    entry.cost = 0;
}

std::list<Entry>::iterator Find(const QByteArray& path)
{
    return std::find_if(gEntries.begin(), gEntries.end(),
                        [&path](const Entry& entry) { return entry.path == path; });
}

void Remove(std::list<Entry>::iterator entry, std::vector<ProbedPicture>* released)
{
    LetGo(*entry, released);
    gEntries.erase(entry);
}

// Lets the oldest pictures go until the kept ones are within every bound.
void Bound(std::vector<ProbedPicture>* released)
{
    const Clock::time_point now = Clock::now();
    for (auto entry = gEntries.rbegin(); entry != gEntries.rend(); ++entry) {
        if (gKeptPictures > kMaxKeptPictures || gKeptBytes > kMaxKeptPictureBytes ||
            now - entry->keptAt > kMaxKeptPictureAge)
            LetGo(*entry, released);
    }
    while (gEntries.size() > kMaxKeptHeaders)
        Remove(std::prev(gEntries.end()), released);
}

// The entry for path when one is kept and the file is still the one it
// describes; a stale entry is removed. Looks at the file outside the lock.
template <typename Use> bool UseEntry(const QByteArray& path, Use use)
{
    std::vector<ProbedPicture> released;
    {
        std::lock_guard lock(gLock);
        if (Find(path) == gEntries.end())
            return false;
    }
    FileIdentity now;
    const bool found = IdentityOfFile(path, &now);
    std::lock_guard lock(gLock);
    Bound(&released);
    const auto entry = Find(path);
    if (entry == gEntries.end())
        return false;
    if (!found || !(entry->identity == now)) {
        Remove(entry, &released);
        return false;
    }
    return use(*entry);
}

} // namespace

void KeepProbe(const QByteArray& path, const PictureHeader& header, ProbedPicture opened)
{
    std::vector<ProbedPicture> released;
    std::lock_guard lock(gLock);
    if (const auto old = Find(path); old != gEntries.end())
        Remove(old, &released);
    if (!opened.source || !opened.source->Settled()) {
        released.push_back(std::move(opened));
        return;
    }
    Entry entry{path, opened.source->Identity(), header, {}, 0, Clock::now()};
    const UInt64 cost = CostOf(*opened.source, header);
    if (cost <= kMaxKeptPictureBytes) {
        entry.opened = std::move(opened);
        entry.cost = cost;
        ++gKeptPictures;
        gKeptBytes += cost;
    } else {
        released.push_back(std::move(opened));
    }
    gEntries.push_front(std::move(entry));
    Bound(&released);
}

bool FindProbedHeader(const QByteArray& path, PictureHeader* header)
{
    return UseEntry(path, [header](const Entry& entry) {
        *header = entry.header;
        return true;
    });
}

bool TakeProbedPicture(const QByteArray& path, ProbedPicture* opened)
{
    return UseEntry(path, [opened](Entry& entry) {
        if (!entry.opened.source)
            return false;
        *opened = std::move(entry.opened);
        entry.opened = {};
        --gKeptPictures;
        gKeptBytes -= entry.cost;
        entry.cost = 0;
        return true;
    });
}

void ForgetProbes()
{
    std::vector<ProbedPicture> released;
    std::lock_guard lock(gLock);
    for (Entry& entry : gEntries)
        LetGo(entry, &released);
    gEntries.clear();
}

} // namespace platform::graphics
