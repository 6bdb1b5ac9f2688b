// SPDX-License-Identifier: GPL-3.0-or-later
// The alias record decoder: any bytes resolve to an item that exists or to
// an error, never a crash. The seeds are records of a file this target
// makes at a fixed place, so that mutations reach the look-ups of both the
// path and the renamed item in its folder.
#include "FuzzSupport.h"

#include "platform/memory/Memory.h"

#include <QDir>
#include <QFile>

#include <cstring>

using namespace fuzzsupport;

namespace
{

// Where the seeds' records point (fuzz/make-seeds.sh makes them there too).
const QByteArray kFixtureFolder = "/tmp/tessaly-fuzz-alias";

void MakeFixture()
{
    QDir().mkpath(QFile::decodeName(kFixtureFolder + "/folder"));
    static const uint8_t text[] = "target";
    WriteWhole(kFixtureFolder + "/folder/target.txt", text, sizeof text - 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool made = (MakeFixture(), true);
    (void)made;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    FSRef target;
    Boolean changed = false;
    if (FSResolveAliasBytes(bytes, &target, &changed) == noErr) {
        FSCatalogInfo info;
        if (FSGetCatalogInfo(&target, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr) !=
            noErr)
            Fail("an alias resolved to an item that is not there");
    }

    // The same bytes through a handle, as records stored in files arrive.
    AliasHandle alias = NewHandle(Size(size));
    if (!alias)
        Fail("no memory for a handle");
    if (size > 0)
        std::memcpy(*alias, data, size);
    FSRef again;
    FSResolveAlias(nullptr, alias, &again, &changed);
    DisposeHandle(alias);
    return 0;
}
