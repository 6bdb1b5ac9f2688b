// SPDX-License-Identifier: GPL-3.0-or-later
// The open-documents handler and the batch it starts.
#include "app/engine/BatchRun.h"

#include "app/engine/Conversion.h"
#include "app/engine/ConversionPool.h"
#include "app/engine/EngineGlobals.h"
#include "app/engine/FolderWalk.h"
#include "app/engine/Settings.h"
#include "app/shell/Destination.h"
#include "app/shell/StatusDisplay.h"
#include "file/CFile.h"
#include "platform/graphics/PictureFiles.h"
#include "platform/memory/MemoryPolicy.h"
#include "platform/ui/Windows.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>

AEDescList gDescList{typeNull, nullptr};

namespace
{

enum class BatchState { Idle, Armed, Running };
BatchState gBatchState = BatchState::Idle;
// Drops that came while a batch was armed or running, oldest first.
std::deque<AEDescList> gWaitingDrops;
// The goodbye timer while it is armed; a new drop cancels it.
EventLoopTimerRef gPauseTimer = nullptr;
std::function<void()> gStopTakingWork;
std::function<void()> gTakeWorkAgain;
bool gLeaving = false;

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

// One batch's conversions. Files are decided, named and claimed here, on
// the event loop's thread, in walk order, and convert on the pool's workers,
// several at once. What the window shows follows walk order too: a file's
// "File:" line appears once every earlier file has finished and shown its
// lines, and its own count line once it has finished itself, so the window
// reads as when files went one at a time.
class BatchWork
{
public:
    enum class Outcome { Shown, NotShown, Stopped };

    explicit BatchWork(int workers) : m_pool(workers, platform::PictureMemoryBudget()) {}
    ~BatchWork() { Finish(); }
    BatchWork(const BatchWork&) = delete;
    BatchWork& operator=(const BatchWork&) = delete;

    // Shows "File: name" and converts the file; then runs after (the count
    // line), in walk order. Stopped: Stop or Quit came first and the file
    // was left alone.
    Outcome Convert(const FSRef& file, const FSRef& destination, std::function<void()> after);
    // Runs show in walk order, after what came before it.
    void Show(std::function<void()> show);
    // Waits for every started file and shows what is left.
    void Finish();

private:
    struct Step {
        QByteArray fileMessage; // "File: name", or none
        std::shared_ptr<ConversionPool::Ticket> ticket;
        std::function<void()> after;
        bool shown = false;
    };
    void add(Step step);
    void showFinished();
    void waitFor(const std::function<bool()>& ready);
    bool heldByRunningJob(const FSRef& destination, const QString& name) const;

    ConversionPool m_pool;
    std::deque<Step> m_steps;
};

BatchWork::Outcome BatchWork::Convert(const FSRef& file, const FSRef& destination,
                                      std::function<void()> after)
{
    // The file is looked at while the workers are still busy with earlier
    // ones, and off the loop: some importers read the whole picture to
    // know it. It starts once a worker (and, for a picture, enough of the
    // budget) is free, and only when neither Stop nor Quit came meanwhile.
    char* name = FSGetObjectName(file);
    ConversionJob job;
    QString outputName;
    bool planned = false;
    if (name)
        platform::RunOffLoop([&] { planned = PlanConversion(file, job, outputName); });
    waitFor([&] { return planned ? m_pool.HasRoomFor(job.decodedBytes) : m_pool.WorkerFree(); });
    if (gQuitting || gStopping) {
        DisposePtr(name);
        return Outcome::Stopped;
    }
    if (!name) {
        add({{}, nullptr, std::move(after)});
        return Outcome::NotShown;
    }
    char message[256];
    std::snprintf(message, sizeof message, "File: %s", name);
    DisposePtr(name);

    std::shared_ptr<ConversionPool::Ticket> ticket;
    if (planned) {
        // A name that a running job holds is free again when that job fails;
        // waiting for it gives every file the name it gets one at a time.
        waitFor([&] { return !heldByRunningJob(destination, outputName); });
        if (ClaimConversionOutput(destination, outputName, job))
            ticket = m_pool.Start(job);
    }
    add({message, std::move(ticket), std::move(after)});
    return Outcome::Shown;
}

void BatchWork::Show(std::function<void()> show)
{
    add({{}, nullptr, std::move(show)});
}

void BatchWork::Finish()
{
    waitFor([this] { return m_pool.Idle() && m_steps.empty(); });
}

void BatchWork::add(Step step)
{
    m_steps.push_back(std::move(step));
    showFinished();
}

void BatchWork::showFinished()
{
    while (!m_steps.empty()) {
        Step& step = m_steps.front();
        if (!step.shown) {
            step.shown = true;
            if (!step.fileMessage.isEmpty())
                print_message(step.fileMessage.constData(), 1);
        }
        if (step.ticket && !step.ticket->done)
            return;
        // Taken off first: what it shows may turn the loop, which shows more.
        const std::function<void()> after = std::move(step.after);
        m_steps.pop_front();
        if (after)
            after();
    }
}

void BatchWork::waitFor(const std::function<bool()>& ready)
{
    showFinished();
    platform::WaitOnLoop([&] {
        showFinished();
        return ready();
    });
}

bool BatchWork::heldByRunningJob(const FSRef& destination, const QString& name) const
{
    FSRef existing;
    if (FSMakeFSRefUnicode(&destination, UniCharCount(name.size()),
                           reinterpret_cast<const UniChar*>(name.utf16()), kTextEncodingUnknown,
                           &existing) != noErr)
        return false;
    for (const Step& step : m_steps)
        if (step.ticket && !step.ticket->done &&
            FSCompareFSRefs(&existing, &step.ticket->job.output) == noErr)
            return true;
    return false;
}

// The batch under way, for the folder walk.
BatchWork* gWork = nullptr;

// Shows "File: name" and converts the file, as the walk order comes to it.
BatchWork::Outcome convertShown(const FSRef& file, const FSRef& destination,
                                std::function<void()> after = {})
{
    return gWork->Convert(file, destination, std::move(after));
}

// Between a folder's counting and collecting walks, for the tests.
std::function<void()> gBetweenWalksHook;

// Walks the folder to collect its files into gFSRefArray. A tree that
// gained files since it was counted is collected again into a block that
// holds them all, a few times at most: files that keep coming after that
// are treated as those that come once the walk is over. On return,
// gNbrFilesToBeProcessed is the number of files collected. A walk that
// fails part of the way has collected what it met before.
void collectFolder(const FSRef& folder)
{
    constexpr int kMostCollectingWalks = 4;
    for (int walk = 0; walk < kMostCollectingWalks; ++walk) {
        gNbrFilesProcessed = 0;
        platform::RunOffLoop([&] { IterateCollectFolder(folder); });
        if (gNbrFilesProcessed <= gNbrFilesToBeProcessed)
            break;
        Ptr larger = NewPtr(Size(gNbrFilesProcessed) * Size(sizeof(FSRef)));
        if (!larger)
            break;
        DisposePtr(reinterpret_cast<Ptr>(gFSRefArray));
        gFSRefArray = reinterpret_cast<FSRef*>(larger);
        gNbrFilesToBeProcessed = gNbrFilesProcessed;
    }
    gNbrFilesToBeProcessed = std::min(gNbrFilesProcessed, gNbrFilesToBeProcessed);
}

// Converts the folder's files. A folder that changed between its counting
// and collecting walks converts what the collecting walk found, counted
// from that list; one whose walk fails converts what was collected of it.
// Either way the batch goes on with the next item.
void handleFolder(const FSRef& folder, const FSRef& destination)
{
    // A large tree takes a while to walk: the window goes on meanwhile.
    platform::RunOffLoop([&] { IterateCountFolder(folder); });
    if (gBetweenWalksHook)
        gBetweenWalksHook();
    if (gNbrFilesToBeProcessed <= 0)
        return;
    gFSRefArray =
        reinterpret_cast<FSRef*>(NewPtr(Size(gNbrFilesToBeProcessed) * Size(sizeof(FSRef))));
    if (!gFSRefArray)
        return;
    collectFolder(folder);
    const SInt32 count = gNbrFilesToBeProcessed;
    if (count > 0) {
        gWork->Show([count] {
            SetControlMaximum(gProgress, progressValue(count - 1));
            SetControlMinimum(gProgress, 0);
            ShowControl(gProgress);
            ShowControl(gSmallMessage);
        });
        gNbrFilesProcessed = 0;
        for (SInt32 i = 0; i < count; ++i) {
            if (gQuitting || gStopping)
                break;
            const auto outcome = convertShown(gFSRefArray[i], destination, [i, count] {
                char message[256];
                std::snprintf(message, sizeof message, "(%d of %d)", int(i + 1), int(count));
                print_message(message, 2);
                SetControlValue(gProgress, progressValue(i));
            });
            if (outcome == BatchWork::Outcome::Stopped)
                break;
            if (outcome == BatchWork::Outcome::Shown)
                ++gNbrFilesProcessed;
        }
        gWork->Show([] {
            HideControl(gProgress);
            HideControl(gSmallMessage);
        });
    }
    DisposePtr(reinterpret_cast<Ptr>(gFSRefArray));
    gFSRefArray = nullptr;
}

// A dropped link that leads to a folder stands for that folder, as file
// managers show it; links met inside a walk stay items of their own.
bool folderOfLink(const FSRef& item, FSRef* folder)
{
    QByteArray path;
    return CFile::FileIsAliasedDirectory(&item) && platform::PathOfRef(item, &path) == noErr &&
           platform::RefFromPath(path + '/', folder) == noErr;
}

} // namespace

void SetGoodbyeHooks(std::function<void()> stopTaking, std::function<void()> takeAgain)
{
    gStopTakingWork = std::move(stopTaking);
    gTakeWorkAgain = std::move(takeAgain);
}

bool Leaving()
{
    return gLeaving;
}

void SetBetweenWalksHook(std::function<void()> hook)
{
    gBetweenWalksHook = std::move(hook);
}

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

    // With several files at once, each gets one libvips thread; one at a
    // time, libvips uses every core on the one picture.
    const int workers = BatchWorkers();
    platform::SetThreadsPerPicture(workers > 1 ? 1 : 0);
    BatchWork work(workers);
    gWork = &work;
    long count = 0;
    if (AECountItems(&gDescList, &count) == noErr) {
        for (long index = 1; index <= count && !gQuitting && !gStopping; ++index) {
            FSRef item;
            const OSErr fetched = AEGetNthPtr(&gDescList, index, typeFSRef, nullptr, nullptr, &item,
                                              sizeof item, nullptr);
            gNbrFilesToBeProcessed = 0;
            gNbrFilesProcessed = 0;
            // An item that is gone by now is skipped; the others still are
            // what the user asked for.
            if (fetched != noErr)
                continue;
            if (FSRef folder; folderOfLink(item, &folder))
                item = folder;
            if (CFile::IsADirectory(item)) {
                handleFolder(item, destination);
            } else if (convertShown(item, destination) == BatchWork::Outcome::Shown) {
                ++gNbrFilesProcessed;
            }
        }
    }
    work.Finish();
    gWork = nullptr;
    // What the importers kept of files looked at but never converted (after
    // Stop) is let go with the batch.
    platform::ForgetProbedPictures();

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
    // No more work is taken from here on. What was handed over before is
    // handled now: it is converted, and the goodbye comes after its batch.
    if (gStopTakingWork)
        gStopTakingWork();
    platform::ProcessPostedAppleEvents();
    if (BatchPending()) {
        if (gTakeWorkAgain)
            gTakeWorkAgain();
        return;
    }
    gLeaving = true;
    print_message("Bye.", 1);
    TransitionWindow(gWindow, kWindowFadeTransitionEffect, kWindowHideTransitionAction, nullptr);
    ExitToShell();
    // Only an exit handler (the tests') comes back here: the program goes on.
    gLeaving = false;
    if (gTakeWorkAgain)
        gTakeWorkAgain();
}
