// The open-documents handler and the batch it starts.
#include "app/engine/BatchRun.h"

#include "app/engine/Conversion.h"
#include "app/engine/EngineGlobals.h"
#include "app/engine/FolderWalk.h"
#include "app/engine/Settings.h"
#include "app/shell/Destination.h"
#include "app/shell/StatusDisplay.h"
#include "file/CFile.h"
#include "platform/ui/Windows.h"

#include <algorithm>
#include <cstdio>
#include <deque>

AEDescList gDescList{typeNull, nullptr};

namespace
{

enum class BatchState { Idle, Armed, Running };
BatchState gBatchState = BatchState::Idle;
// Drops that came while a batch was armed or running, oldest first.
std::deque<AEDescList> gWaitingDrops;
// The goodbye timer while it is armed; a new drop cancels it.
EventLoopTimerRef gPauseTimer = nullptr;

constexpr EventTimerInterval kStartDelay = 0.001;
constexpr EventTimerInterval kPauseDelay = 1.0;
constexpr SInt16 kLargestProgress = 0x7FFF;

void armBatch()
{
    gBatchState = BatchState::Armed;
    if (InstallEventLoopTimer(GetCurrentEventLoop(), kStartDelay, 0,
                              NewEventLoopTimerUPP(ProcessTimerProc), nullptr, nullptr) != noErr)
        gBatchState = BatchState::Idle;
}

// Progress values are 16-bit; a folder of more files keeps the bar full.
SInt16 progressValue(SInt32 value)
{
    return SInt16(std::clamp<SInt32>(value, 0, kLargestProgress));
}

// Shows "File: name" and converts the file; the codec work runs off the
// event loop so that the window stays alive meanwhile.
bool convertShown(const FSRef& file, const FSRef& destination)
{
    char* name = FSGetObjectName(file);
    if (!name)
        return false;
    char message[256];
    std::snprintf(message, sizeof message, "File: %s", name);
    print_message(message, 1);
    ConversionJob job;
    if (PrepareConversion(file, destination, job))
        platform::RunOffLoop([&job]() { RunConversionJob(job); });
    DisposePtr(name);
    return true;
}

OSErr handleFolder(const FSRef& folder, const FSRef& destination)
{
    OSErr status = IterateCountFolder(folder);
    if (gNbrFilesToBeProcessed <= 0)
        return status;
    gFSRefArray =
        reinterpret_cast<FSRef*>(NewPtr(Size(gNbrFilesToBeProcessed) * Size(sizeof(FSRef))));
    if (!gFSRefArray)
        return status;
    status = IterateCollectFolder(folder);
    if (gNbrFilesProcessed == gNbrFilesToBeProcessed) {
        const SInt32 count = gNbrFilesToBeProcessed;
        SetControlMaximum(gProgress, progressValue(count - 1));
        SetControlMinimum(gProgress, 0);
        ShowControl(gProgress);
        ShowControl(gSmallMessage);
        gNbrFilesProcessed = 0;
        for (SInt32 i = 0; i < count; ++i) {
            if (gQuitting || gStopping)
                break;
            if (convertShown(gFSRefArray[i], destination))
                ++gNbrFilesProcessed;
            char message[256];
            std::snprintf(message, sizeof message, "(%d of %d)", int(i + 1),
                          int(gNbrFilesToBeProcessed));
            print_message(message, 2);
            SetControlValue(gProgress, progressValue(i));
        }
        HideControl(gProgress);
        HideControl(gSmallMessage);
    }
    DisposePtr(reinterpret_cast<Ptr>(gFSRefArray));
    gFSRefArray = nullptr;
    return status;
}

} // namespace

bool BatchPending()
{
    return gBatchState != BatchState::Idle;
}
int WaitingDropCount()
{
    return int(gWaitingDrops.size());
}

OSErr OpenDocsAppleEventHandler(const AppleEvent* event, AppleEvent*, SRefCon)
{
    const ProcessSerialNumber current{0, kCurrentProcess};
    SetFrontProcess(&current);
    AEDescList items;
    if (OSErr err = AEGetParamDesc(event, keyDirectObject, typeAEList, &items); err != noErr)
        return err;
    if (gBatchState != BatchState::Idle) {
        gWaitingDrops.push_back(items);
        return noErr;
    }
    gNbrFilesProcessed = 0;
    if (gPauseTimer) {
        RemoveEventLoopTimer(gPauseTimer);
        gPauseTimer = nullptr;
    }
    AEDisposeDesc(&gDescList);
    gDescList = items;
    armBatch();
    return noErr;
}

void RunBatch(const FSRef& destination)
{
    gStopping = false;
    ShowControl(gSpin);
    HideControl(gEditButton);
    EnableControl(gStopButton);
    ShowControl(gStopButton);

    long count = 0;
    if (AECountItems(&gDescList, &count) == noErr) {
        for (long index = 1; index <= count && !gQuitting && !gStopping; ++index) {
            FSRef item;
            const OSErr fetched = AEGetNthPtr(&gDescList, index, typeFSRef, nullptr, nullptr, &item,
                                              sizeof item, nullptr);
            gNbrFilesToBeProcessed = 0;
            gNbrFilesProcessed = 0;
            if (fetched != noErr)
                break;
            if (CFile::IsADirectory(item)) {
                if (handleFolder(item, destination) != noErr)
                    break;
            } else if (convertShown(item, destination)) {
                ++gNbrFilesProcessed;
            }
        }
    }

    HideControl(gSpin);
    ShowControl(gEditButton);
    HideControl(gStopButton);
    DisableControl(gStopButton);
    print_message(kIdleText, 1);
}

void ProcessTimerProc(EventLoopTimerRef, void*)
{
    gBatchState = BatchState::Running;
    FSRef destination;
    const bool ran = GetDestination(destination);
    if (ran)
        RunBatch(destination);

    // A drop that waited runs next; the goodbye comes after the last one.
    if (!gWaitingDrops.empty() && !gQuitting) {
        AEDisposeDesc(&gDescList);
        gDescList = gWaitingDrops.front();
        gWaitingDrops.pop_front();
        gNbrFilesProcessed = 0;
        armBatch();
        return;
    }
    gBatchState = BatchState::Idle;
    if (ran && QuitWhenDone())
        InstallEventLoopTimer(GetCurrentEventLoop(), kPauseDelay, 0,
                              NewEventLoopTimerUPP(PauseTimerProc), nullptr, &gPauseTimer);
}

void PauseTimerProc(EventLoopTimerRef, void*)
{
    gPauseTimer = nullptr;
    print_message("Bye.", 1);
    TransitionWindow(gWindow, kWindowFadeTransitionEffect, kWindowHideTransitionAction, nullptr);
    ExitToShell();
}
