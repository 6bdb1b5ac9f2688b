// SPDX-License-Identifier: GPL-3.0-or-later
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
#include "platform/prefs/Preferences.h"
#include "platform/text/TextEncoding.h"

#include <cstdio>
#include <optional>

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

QString HelpText()
{
    const QString settings = PreferencesFilePath(kCFPreferencesCurrentApplication);
    return UsageText() + QStringLiteral(R"(
Converts every picture among the items, and every picture at any depth in the
folders among them, into one folder, in the output format set in the window's
preferences. Items are paths or file:// URLs. Without --to the window opens
and the items are a drop on it.

Options may come in any order, before, between or after the items:
  --to DESTINATION   convert without a window into the folder DESTINATION,
                     writing the window's messages on standard output, one a
                     line; also --to=DESTINATION
  -j N, --jobs N     convert N files at once, from 1 to 256 (also -jN and
                     --jobs=N); -j 1 converts one file after another
  --                 end the options: every argument after it is an item, also
                     one whose name starts with a dash
  -h, --help         print this help and exit
  --version          print the version and exit

Environment:
  TESSALY_JOBS=N     how many files a batch converts at once when -j is not
                     given, also in the window; by default as many as the
                     machine has cores, within a quarter of its memory

The settings (output format, quit when done, copy-to folder) are kept in
  %1
($XDG_CONFIG_HOME/com.quorvane.Tessaly.plist, by default under ~/.config).
)")
                             .arg(settings);
}

QString VersionText()
{
    return QStringLiteral("tessaly " TESSALY_VERSION "\n");
}

namespace
{

const QString kNeedsDestinationAndItem =
    QStringLiteral("--to needs a destination folder and at least one item");

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    const auto fail = [&line](const QString& problem) {
        line.mode = CommandLine::Mode::Bad;
        line.problem = problem;
        return line;
    };
    bool optionsEnded = false;
    bool destinationGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        // "-" alone is a name, as it is to most tools.
        if (optionsEnded || !word.startsWith(u'-') || word == u"-") {
            line.items << word;
            continue;
        }
        if (word == u"--") {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = word.startsWith(u"--") ? word.indexOf(u'=') : -1;
        const QString name = equals < 0 ? word : word.left(equals);
        std::optional<QString> value;
        if (equals >= 0)
            value = word.mid(equals + 1);
        if (name == u"--help" || name == u"-h" || name == u"--version") {
            if (value)
                return fail(QStringLiteral("%1 takes no value").arg(name));
            line.mode = name == u"--version" ? CommandLine::Mode::Version : CommandLine::Mode::Help;
            return line;
        }
        // The options with a value: "--to D", "--to=D", "-j N", "-jN",
        // "--jobs N" and "--jobs=N".
        const bool count = name == u"--jobs" || name.startsWith(u"-j");
        if (!count && name != u"--to")
            return fail(QStringLiteral("unknown option %1").arg(name));
        if (name.startsWith(u"-j") && name != u"-j")
            value = name.mid(2);
        // The value is the next word, whatever it looks like.
        if (!value && i + 1 < arguments.size())
            value = arguments[++i];
        const QString spelled = name.startsWith(u"-j") ? QStringLiteral("-j") : name;
        if (count) {
            line.workers = ParseWorkerCount(value.value_or(QString()));
            if (line.workers == 0)
                return fail(
                    QStringLiteral("%1 needs a number of files from 1 to 256").arg(spelled));
        } else {
            if (destinationGiven)
                return fail(QStringLiteral("--to is given twice"));
            if (!value || value->isEmpty())
                return fail(kNeedsDestinationAndItem);
            destinationGiven = true;
            line.mode = CommandLine::Mode::ToFolder;
            line.destination = *value;
        }
    }
    if (line.mode == CommandLine::Mode::ToFolder && line.items.isEmpty())
        return fail(kNeedsDestinationAndItem);
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
