// SPDX-License-Identifier: GPL-3.0-or-later
// The crowded-folder look-up benchmark.
#include "NameLookup.h"

#include "platform/files/Files.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int kItems = 100000;
constexpr int kOperations = 2000;

bool fillFolder(const QByteArray& folder)
{
    ::mkdir(folder.constData(), 0777);
    const QByteArray last = folder + "/Existing " + QByteArray::number(kItems - 1) + ".JPG";
    if (::access(last.constData(), F_OK) == 0)
        return true;
    for (int i = 0; i < kItems; ++i) {
        const QByteArray path = folder + "/Existing " + QByteArray::number(i) + ".JPG";
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

void removeOutputs(const QByteArray& folder)
{
    if (DIR* dir = ::opendir(folder.constData())) {
        while (dirent* e = ::readdir(dir)) {
            if (std::strncmp(e->d_name, "new ", 4) == 0)
                ::unlinkat(dirfd(dir), e->d_name, 0);
        }
        ::closedir(dir);
    }
}

OSErr lookUp(const FSRef& folder, const QString& name, FSRef* found)
{
    return FSMakeFSRefUnicode(&folder, UniCharCount(name.size()),
                              reinterpret_cast<const UniChar*>(name.utf16()), kTextEncodingUnknown,
                              found);
}

// Microseconds per call of step(i) over kOperations calls.
template <typename Step> double timePerCall(Step step)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kOperations; ++i)
        step(i);
    return double(timer.nsecsElapsed()) / 1000.0 / kOperations;
}

} // namespace

bool RunNameLookupBenchmark(const QByteArray& work)
{
    const QByteArray folder = work + "/crowded-100k";
    if (!fillFolder(folder))
        return false;
    removeOutputs(folder);
    FSRef folderRef;
    if (platform::RefFromPath(folder, &folderRef) != noErr)
        return false;

    FSRef found;
    int failures = 0;
    QElapsedTimer first;
    first.start();
    failures += lookUp(folderRef, "absent.jpg", &found) != fnfErr;
    const double firstMs = double(first.nsecsElapsed()) / 1e6;

    const double exact = timePerCall([&](int i) {
        failures += lookUp(folderRef, "Existing " + QString::number(i * 37 % kItems) + ".JPG",
                           &found) != noErr;
    });
    const double otherCase = timePerCall([&](int i) {
        failures += lookUp(folderRef, "existing " + QString::number(i * 37 % kItems) + ".jpg",
                           &found) != noErr;
    });
    const double absent = timePerCall([&](int i) {
        failures += lookUp(folderRef, "Missing " + QString::number(i) + ".jpg", &found) != fnfErr;
    });
    // As a batch does: look the output name up, create it, look it up again.
    const double createCycle = timePerCall([&](int i) {
        const QString name = "new " + QString::number(i) + ".jpg";
        failures += lookUp(folderRef, name.toUpper(), &found) != fnfErr;
        failures += FSCreateFileUnicode(&folderRef, UniCharCount(name.size()),
                                        reinterpret_cast<const UniChar*>(name.utf16()),
                                        kFSCatInfoNone, nullptr, &found, nullptr) != noErr;
        failures += lookUp(folderRef, name.toUpper(), &found) != noErr;
    });
    removeOutputs(folder);

    // The walk's way through the folder: every item, in name order, with
    // its node flags and reference.
    QElapsedTimer listing;
    listing.start();
    int listed = 0;
    FSIterator iterator = nullptr;
    if (FSOpenIterator(&folderRef, kFSIterateFlat, &iterator) == noErr) {
        OSErr status = noErr;
        while (status == noErr) {
            ItemCount count = 0;
            FSCatalogInfo info;
            status = FSGetCatalogInfoBulk(iterator, 1, &count, nullptr, kFSCatInfoNodeFlags, &info,
                                          &found, nullptr, nullptr);
            listed += int(count);
        }
        FSCloseIterator(iterator);
    }
    const double listMs = double(listing.nsecsElapsed()) / 1e6;
    failures += listed != kItems;

    std::printf("\nName look-up in a folder of %d items (%d operations each)\n", kItems,
                kOperations);
    std::printf("  first look-up (builds the folder's index)       %10.2f ms\n", firstMs);
    std::printf("  exact name                                       %10.2f us\n", exact);
    std::printf("  name in other letter case                        %10.2f us\n", otherCase);
    std::printf("  absent name                                      %10.2f us\n", absent);
    std::printf("  look up, create, look up again (a batch's step)  %10.2f us\n", createCycle);
    std::printf("  list every item in name order (a walk's level)   %10.2f ms\n", listMs);
    std::printf("  wrong answers                                    %10d\n", failures);
    // A scan of the folder costs tens of milliseconds; an index hit, microseconds.
    const bool pass = failures == 0 && otherCase < 100 && absent < 100 && createCycle < 500;
    std::printf("  %s look-ups stay under 100 us and a batch's step under 500 us\n",
                pass ? "PASS" : "MISS");
    return pass;
}
