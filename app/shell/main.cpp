// SPDX-License-Identifier: GPL-3.0-or-later
// Tessaly, the droplet: converts every picture dropped on its window or its
// launcher icon into the chosen format. See CommandLine.h for its arguments.
#include "app/engine/BatchRun.h"
#include "app/engine/ConversionPool.h"
#include "app/shell/CommandLine.h"
#include "app/shell/Startup.h"
#include "app/shell/StatusDisplay.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/events/EventLoop.h"
#include "platform/text/TextEncoding.h"
#include "platform/ui/Windows.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Arguments are names, and names are bytes: each one is kept whole, so
    // an item whose name is not UTF-8 is still found.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << NameFromBytes(QByteArray(argv[i]));
    const CommandLine line = ParseCommandLine(arguments);
    switch (line.mode) {
    case CommandLine::Mode::Help:
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Mode::Version:
        std::fputs(VersionText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Mode::Bad:
        std::fprintf(stderr, "tessaly: %s\n%s", NameToBytes(line.problem).constData(),
                     UsageText().toLocal8Bit().constData());
        return 2;
    case CommandLine::Mode::ToFolder: {
        QCoreApplication app(argc, argv);
        return RunToFolder(line);
    }
    case CommandLine::Mode::Window:
        break;
    }

    SetBatchWorkers(line.workers);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setDesktopFileName(kApplicationID);
    // Items for an instance that already runs go to it, as one drop; without
    // items, that instance comes to the front instead of a second window.
    if (platform::ForwardToRunningInstance(kApplicationID, UrisOfItems(line.items)))
        return 0;
    // The command line and standard output stay English: scripts read them.
    UseUserLanguage();
    if (OSStatus err = StartApplication(); err != noErr)
        return int(err);
    platform::ServeAsPrimaryInstance(
        kApplicationID, [](const QStringList& uris) { SendItemsToSelf(uris); },
        []() { BringToFront(gWindow); });
    // A launch during the goodbye runs on its own instead of handing its
    // items to a process that is ending.
    SetGoodbyeHooks(platform::StopTakingHandOvers, platform::TakeHandOversAgain);
    // Items given at launch are a drop on the icon, served once the loop runs.
    if (!line.items.isEmpty())
        SendItemsToSelf(line.items);
    QuitOnTerminationSignals();
    RunApplicationEventLoop();
    const int caught = platform::CaughtSignal();
    return caught ? 128 + caught : 0;
}
