// SPDX-License-Identifier: GPL-3.0-or-later
// tessaly-preferences: the preferences host. Shows the pane modules of its
// plug-in folder, and those given on the command line, one page each.
#include "platform/prefpane/host/PreferencesWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>

namespace
{

enum class ExitCode : int { ok = 0, usage = 2 };

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessaly-preferences"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.quorvane.Tessaly.Preferences"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the preference panes of Tessaly's components."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption pageOption(QStringLiteral("page"),
                                        QStringLiteral("Shows the page named NAME first."),
                                        QStringLiteral("NAME"));
    const QCommandLineOption closeOption(
        QStringLiteral("close-after"),
        QStringLiteral("Closes the window MILLISECONDS after it was shown (for scripts)."),
        QStringLiteral("MILLISECONDS"));
    const QCommandLineOption listOption(
        QStringLiteral("list"),
        QStringLiteral("Lists the pages and what is wrong with those that cannot be shown, "
                       "without showing the window."));
    const QCommandLineOption noInstalledOption(
        QStringLiteral("no-installed-panes"),
        QStringLiteral("Shows only the modules given, not those of the plug-in folder."));
    parser.addOptions({pageOption, closeOption, listOption, noInstalledOption});
    parser.addPositionalArgument(QStringLiteral("MODULE"),
                                 QStringLiteral("Further pane modules to show."), "[MODULE...]");
    parser.process(app);

    QTextStream err(stderr);
    int closeAfter = -1;
    if (parser.isSet(closeOption)) {
        bool ok = false;
        closeAfter = parser.value(closeOption).toInt(&ok);
        if (!ok || closeAfter < 0) {
            err << "tessaly-preferences: --close-after needs a number of milliseconds\n";
            return int(ExitCode::usage);
        }
    }

    PreferencesWindow window;
    if (!parser.isSet(noInstalledOption))
        window.addModulesInFolder(PreferencesWindow::installedPaneFolder());
    for (const QString& module : parser.positionalArguments())
        window.addModule(module);

    if (parser.isSet(listOption)) {
        QTextStream out(stdout);
        for (int page = 0; page < window.pageCount(); ++page) {
            const QString error = window.pageError(page);
            out << window.pageLabel(page) << '\t'
                << (error.isEmpty() ? QStringLiteral("ok") : error) << '\n';
        }
        return int(ExitCode::ok);
    }

    if (parser.isSet(pageOption)) {
        const int page = window.pageNamed(parser.value(pageOption));
        if (page < 0) {
            err << "tessaly-preferences: no page named " << parser.value(pageOption) << '\n';
            return int(ExitCode::usage);
        }
        window.selectPage(page);
    }

    // The window speaks the user's language; the command line, --list and
    // the page names --page takes stay English, since scripts use them. The
    // window and the pages' labels change language before it is shown.
    PreferencesWindow::useUserLanguage();

    window.show();
    if (closeAfter >= 0)
        QTimer::singleShot(closeAfter, &window, &QWidget::close);
    return app.exec();
}
