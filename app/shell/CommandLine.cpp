// Parsing the command line and the window-less run.
#include "app/shell/CommandLine.h"

#include "app/engine/BatchRun.h"
#include "app/engine/ConversionPool.h"
#include "app/engine/EngineGlobals.h"
#include "app/engine/ExporterCatalogue.h"
#include "app/shell/Destination.h"
#include "app/shell/StatusDisplay.h"
#include "platform/events/AppleEvents.h"
#include "platform/events/EventLoop.h"
#include "platform/text/TextEncoding.h"

#include <cstdio>

namespace
{

// The path an argument names, with the bytes it was given.
QByteArray pathOf(const QString& item)
{
    return platform::PathOfItem(NameToBytes(item));
}

// Problems quote the arguments' own bytes, whatever their encoding.
int bad(const QString& problem)
{
    std::fprintf(stderr, "tessaly: %s\n%s", NameToBytes(problem).constData(),
                 UsageText().toLocal8Bit().constData());
    return 2;
}

} // namespace

QString UsageText()
{
    return QStringLiteral("Usage: tessaly [-j N] [ITEM...]\n"
                          "       tessaly --to DESTINATION [-j N] ITEM...\n"
                          "       tessaly --help | --version\n");
}

QString VersionText()
{
    return QStringLiteral("tessaly " TESSALY_VERSION "\n");
}

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    if (arguments.size() == 1 && (arguments[0] == u"--help" || arguments[0] == u"-h")) {
        line.mode = CommandLine::Mode::Help;
        return line;
    }
    if (arguments.size() == 1 && arguments[0] == u"--version") {
        line.mode = CommandLine::Mode::Version;
        return line;
    }
    qsizetype first = 0;
    if (!arguments.isEmpty() && arguments[0] == u"--to") {
        line.mode = CommandLine::Mode::ToFolder;
        if (arguments.size() < 3) {
            line.mode = CommandLine::Mode::Bad;
            line.problem = QStringLiteral("--to needs a destination folder and at least one item");
            return line;
        }
        line.destination = arguments[1];
        first = 2;
    }
    bool optionsEnded = false;
    for (qsizetype i = first; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (!optionsEnded && word == u"--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && word.startsWith(u"-j")) {
            const QString count = word == u"-j" ? arguments.value(++i) : word.mid(2);
            line.workers = ParseWorkerCount(count);
            if (line.workers == 0) {
                line.mode = CommandLine::Mode::Bad;
                line.problem = QStringLiteral("-j needs a number of files from 1 to 256");
                return line;
            }
            continue;
        }
        // A name that starts with "--" can be given after "--".
        if (!optionsEnded && word.startsWith(u"--")) {
            line.mode = CommandLine::Mode::Bad;
            line.problem = QStringLiteral("unknown option %1").arg(word);
            return line;
        }
        line.items << word;
    }
    if (line.mode == CommandLine::Mode::ToFolder && line.items.isEmpty()) {
        line.mode = CommandLine::Mode::Bad;
        line.problem = QStringLiteral("--to needs a destination folder and at least one item");
    }
    return line;
}

int RunToFolder(const CommandLine& line)
{
    FSRef destination;
    Boolean isFolder = false;
    const QByteArray destinationPath = pathOf(line.destination);
    if (destinationPath.isEmpty() ||
        FSPathMakeRef(reinterpret_cast<const UInt8*>(destinationPath.constData()), &destination,
                      &isFolder) != noErr ||
        !isFolder)
        return bad(QStringLiteral("%1 is not a folder").arg(line.destination));

    AEDescList items;
    if (AECreateList(nullptr, 0, false, &items) != noErr)
        return 1;
    for (const QString& item : line.items) {
        FSRef ref;
        if (platform::RefFromPath(pathOf(item), &ref) != noErr) {
            AEDisposeDesc(&items);
            return bad(QStringLiteral("%1 does not exist").arg(item));
        }
        AEPutPtr(&items, 0, typeFSRef, &ref, sizeof ref);
    }

    SetMessageObserver([](int, const QString& text) {
        std::fputs(text.toUtf8().append('\n').constData(), stdout);
        std::fflush(stdout);
    });
    GetExportTypes();
    SetBatchWorkers(line.workers);
    SetFixedDestination(&destination);
    AEDisposeDesc(&gDescList);
    gDescList = items;
    // Ctrl-C or a termination request quits as the Quit command does: the
    // files under way finish, no new one starts, nothing is left half done.
    platform::SetFlagOnTerminationSignals(&gQuitting);
    RunBatch(destination);
    SetFixedDestination(nullptr);
    std::fflush(stdout);
    const int caught = platform::CaughtSignal();
    return caught ? 128 + caught : 0;
}
