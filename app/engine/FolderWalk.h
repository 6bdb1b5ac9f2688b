// SPDX-License-Identifier: GPL-3.0-or-later
// Walking a folder tree: a general recursive container iteration that reports
// every item at any depth to a filter, and the filter that counts or collects
// a dropped folder's files.
#pragma once

#include "platform/files/Files.h"

// Called for every item; answers true to stop the whole iteration.
using IterateContainerFilterProcPtr = Boolean (*)(Boolean containerChanged, ItemCount currentLevel,
                                                  const FSCatalogInfo* catalogInfo,
                                                  const FSRef* ref, const FSSpec* spec,
                                                  const HFSUniStr255* name, void* yourDataPtr);

// The state of one iteration, shared by all its levels.
struct FSIterateContainerGlobals {
    IterateContainerFilterProcPtr filterProc;
    FSCatalogInfoBitmap infoBitmap;
    FSCatalogInfo itemInfo;
    FSRef itemRef;
    FSSpec itemSpec;
    FSSpec* itemSpecOut;
    HFSUniStr255 itemName;
    HFSUniStr255* itemNameOut;
    void* userData;
    ItemCount levelLimit; // 0: no limit
    ItemCount depth;
    Boolean stopRequested;
    Boolean changedFlag;
    OSErr status;
    ItemCount itemCount;
};

OSErr FSIterateContainer(const FSRef* container, ItemCount maxLevels, FSCatalogInfoBitmap whichInfo,
                         Boolean wantFSSpec, Boolean wantName,
                         IterateContainerFilterProcPtr iterateFilter, void* yourDataPtr);
void FSIterateContainerLevel(FSIterateContainerGlobals* theGlobals);

// Counts the folder's files into gNbrFilesToBeProcessed.
OSErr IterateCountFolder(const FSRef& folder);
// Copies the folder's file references into gFSRefArray from slot
// gNbrFilesProcessed on, never past gNbrFilesToBeProcessed slots.
OSErr IterateCollectFolder(const FSRef& folder);
// Counts or collects one item according to the mode word; answers gQuitting.
Boolean MyIterateContainerFilter(Boolean containerChanged, ItemCount currentLevel,
                                 const FSCatalogInfo* catalogInfo, const FSRef* ref,
                                 const FSSpec* spec, const HFSUniStr255* name, void* yourDataPtr);
