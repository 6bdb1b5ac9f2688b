// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the application's command handler and the bundle's icon.
#include "app/shell/Startup.h"

#include "app/engine/BatchRun.h"
#include "app/engine/EngineGlobals.h"
#include "app/engine/ExporterCatalogue.h"
#include "app/shell/ConvertCommand.h"
#include "app/shell/DragHandlers.h"
#include "app/shell/PreferencesWindow.h"
#include "app/shell/StatusDisplay.h"
#include "file/MoreFinderEvents.h"
#include "platform/events/EventLoop.h"
#include "platform/l10n/Translations.h"
#include "platform/text/TextEncoding.h"
#include "platform/ui/Windows.h"

#include <QStringList>

IconRef gAppIcon = nullptr;

namespace
{

constexpr OSType kApplicationCreator = FOUR_CHAR_CODE("Xrbn");
constexpr OSType kApplicationIconType = FOUR_CHAR_CODE("APPL");
constexpr SInt32 kIdleSleepTicks = 10;

// Set during static initialisation, before main runs.
const bool gIdleProcInstalled = (gAEIdleUPP = NewAEIdleUPP(MyAEIdleProc), true);

} // namespace

Boolean MyAEIdleProc(EventRecord*, SInt32* sleepTime, void*)
{
    // No mouse region: there is none to watch here.
    if (sleepTime)
        *sleepTime = kIdleSleepTicks;
    YieldToAnyThread();
    return false;
}

Boolean MakeFSRefForBundleResource(const char* name, const char* type, FSRef* ref)
{
    CFBundleRef bundle = CFBundleGetMainBundle();
    if (!bundle || !name)
        return false;
    const QString nameString = CFStringCreateWithCString(name, kCFStringEncodingMacRoman);
    if (nameString.isNull())
        return false;
    const CFURLRef url = CFBundleCopyResourceURL(
        bundle, nameString, CFStringCreateWithCString(type, kCFStringEncodingMacRoman), QString());
    if (url.isEmpty())
        return false;
    return CFURLGetFSRef(url, ref);
}

OSErr GetIconRefForResource(const char* name, OSType iconType, IconRef* icon)
{
    FSRef file;
    if (!MakeFSRefForBundleResource(name, "icns", &file))
        return fnfErr;
    return RegisterIconRefFromFSRef(kApplicationCreator, iconType, &file, icon);
}

QString UseUserLanguage()
{
    return platform::InstallTranslations(platform::BundleResourcesPath() + u'/' +
                                         QLatin1String(platform::kTranslationsFolderName));
}

OSStatus StartApplication()
{
    GetIconRefForResource("Tessaly", kApplicationIconType, &gAppIcon);

    IBNibRef nib = nullptr;
    if (OSStatus err = CreateNibReference(QStringLiteral("main"), &nib); err != noErr)
        return err;
    if (OSStatus err = SetMenuBarFromNib(nib, QStringLiteral("MenuBar")); err != noErr) {
        DisposeNibReference(nib);
        return err;
    }
    if (OSStatus err = CreateWindowFromNib(nib, QStringLiteral("MainWindow"), &gWindow);
        err != noErr) {
        DisposeNibReference(nib);
        return err;
    }
    HideWindow(gWindow);
    ControlRef* const globals[] = {&gMessage,  &gSpin,         &gEditButton,
                                   &gProgress, &gSmallMessage, &gStopButton};
    const SInt32 numbers[] = {1, 2, 4, 5, 6, 7};
    for (int i = 0; i < 6; ++i) {
        const ControlID id{kControlSignature, numbers[i]};
        GetControlByID(gWindow, &id, globals[i]);
    }
    DisposeNibReference(nib);

    InitDragHandlers();
    InstallDragHandlers(gWindow);
    ShowWindow(gWindow);

    AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments,
                          NewAEEventHandlerUPP(OpenDocsAppleEventHandler), 0, false);
    EnableMenuCommand(nullptr, kHICommandPreferences);
    const EventTypeSpec commands{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetApplicationEventTarget(), NewEventHandlerUPP(ApplicationCommandHandler),
                        1, &commands, nullptr, nullptr);
    GetExportTypes();
    return noErr;
}

namespace
{
// A signal handler may not touch the interface: the flag it sets is looked
// at here, between two turns of the loop.
void CheckForTerminationSignal(EventLoopTimerRef timer, void*)
{
    if (!platform::CaughtSignal())
        return;
    RemoveEventLoopTimer(timer);
    platform::SendCommand(kHICommandQuit, nullptr);
}
} // namespace

void QuitOnTerminationSignals()
{
    constexpr EventTimerInterval kCheckEvery = 0.1;
    platform::SetFlagOnTerminationSignals(&gQuitting);
    InstallEventLoopTimer(GetCurrentEventLoop(), kCheckEvery, kCheckEvery,
                          NewEventLoopTimerUPP(CheckForTerminationSignal), nullptr, nullptr);
}

OSStatus ApplicationCommandHandler(EventHandlerCallRef, EventRef event, void*)
{
    HICommand command;
    if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                          nullptr, &command) != noErr)
        return eventNotHandledErr;
    switch (command.commandID) {
    case kHICommandCancel:
        gStopping = true;
        return noErr;
    case kHICommandPreferences:
        HandlePreferencesCommand();
        return noErr;
    case kHICommandOpen:
        HandleConvertCommand();
        return noErr;
    case kHICommandQuit:
        gQuitting = true;
        return eventNotHandledErr; // the standard quit handling ends the loop
    default:
        return eventNotHandledErr;
    }
}

OSErr SendItemsToSelf(const QStringList& items)
{
    std::vector<FSSpec> specs;
    for (const QString& item : items) {
        FSRef ref;
        FSSpec spec;
        if (platform::RefFromPath(platform::PathOfItem(NameToBytes(item)), &ref) == noErr &&
            FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) == noErr)
            specs.push_back(spec);
    }
    return SendOpenDocAppleEventToSelf(SInt32(specs.size()), specs.data());
}

QStringList UrisOfItems(const QStringList& items)
{
    // Escaped, every byte of a name arrives whole at the running instance,
    // which reads the URI as SendItemsToSelf does.
    QStringList uris;
    for (const QString& item : items) {
        const QByteArray path = platform::PathOfItem(NameToBytes(item));
        uris << (path.isEmpty() ? item : QString::fromLatin1(platform::FileURIOfPath(path)));
    }
    return uris;
}
