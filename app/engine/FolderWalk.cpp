// SPDX-License-Identifier: GPL-3.0-or-later
// The recursive container iteration and the count and collect walks.
#include "app/engine/FolderWalk.h"

#include "app/engine/EngineGlobals.h"

#include <cstring>

void FSIterateContainerLevel(FSIterateContainerGlobals* g)
{
    if (g->levelLimit != 0 && g->depth >= g->levelLimit)
        return;

    FSIterator iterator = nullptr;
    g->status = FSOpenIterator(&g->itemRef, kFSIterateFlat, &iterator);
    if (g->status != noErr)
        return;

    ++g->depth;
    do {
        g->status = FSGetCatalogInfoBulk(iterator, 1, &g->itemCount, &g->changedFlag, g->infoBitmap,
                                         &g->itemInfo, &g->itemRef, g->itemSpecOut, g->itemNameOut);
        if ((g->status == noErr || g->status == errFSNoMoreItems) && g->itemCount != 0) {
            g->stopRequested = g->filterProc(g->changedFlag, g->depth, &g->itemInfo, &g->itemRef,
                                             g->itemSpecOut, g->itemNameOut, g->userData);
            if ((g->itemInfo.nodeFlags & kFSNodeIsDirectoryMask) && !g->stopRequested)
                FSIterateContainerLevel(g); // itemRef names that folder now
        }
    } while (g->status == noErr && !g->stopRequested);

    // The end of a folder, or a folder we may not list, ends only this level.
    if (g->status == errFSNoMoreItems || g->status == afpAccessDenied)
        g->status = noErr;
    --g->depth;
    FSCloseIterator(iterator);
}

OSErr FSIterateContainer(const FSRef* container, ItemCount maxLevels, FSCatalogInfoBitmap whichInfo,
                         Boolean wantFSSpec, Boolean wantName,
                         IterateContainerFilterProcPtr iterateFilter, void* yourDataPtr)
{
    if (!iterateFilter || !container)
        return paramErr;
    FSIterateContainerGlobals g;
    std::memset(&g, 0, sizeof g);
    g.filterProc = iterateFilter;
    g.infoBitmap = whichInfo | kFSCatInfoNodeFlags;
    g.itemRef = *container;
    g.itemSpecOut = wantFSSpec ? &g.itemSpec : nullptr;
    g.itemNameOut = wantName ? &g.itemName : nullptr;
    g.userData = yourDataPtr;
    g.levelLimit = maxLevels;
    FSIterateContainerLevel(&g);
    return g.status;
}

Boolean MyIterateContainerFilter(Boolean, ItemCount, const FSCatalogInfo* catalogInfo,
                                 const FSRef* ref, const FSSpec*, const HFSUniStr255*,
                                 void* yourDataPtr)
{
    if (catalogInfo->nodeFlags & kFSNodeIsDirectoryMask)
        return gQuitting;
    if (!yourDataPtr)
        return gQuitting;
    switch (*static_cast<const SInt32*>(yourDataPtr)) {
    case kCollectFilesMode:
        // A tree that gained files since it was counted only counts the
        // surplus; the block is never written past its end.
        if (gNbrFilesProcessed < gNbrFilesToBeProcessed && gFSRefArray)
            gFSRefArray[gNbrFilesProcessed] = *ref;
        ++gNbrFilesProcessed;
        break;
    case kCountFilesMode:
        ++gNbrFilesToBeProcessed;
        break;
    default:
        break;
    }
    return gQuitting;
}

static OSErr walk(const FSRef& folder, SInt32 mode)
{
    gWhichFilter = mode;
    return FSIterateContainer(&folder, 0, kFSCatInfoNodeFlags, false, false,
                              MyIterateContainerFilter, &gWhichFilter);
}

OSErr IterateCountFolder(const FSRef& folder)
{
    return walk(folder, kCountFilesMode);
}
OSErr IterateCollectFolder(const FSRef& folder)
{
    return walk(folder, kCollectFilesMode);
}
