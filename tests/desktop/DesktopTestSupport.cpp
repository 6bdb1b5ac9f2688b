// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>

QString BuildTreePath(const QString& installedPath)
{
    return QStringLiteral(TESSALY_BUILD_TREE) + u'/' + installedPath;
}

QMap<QString, QString> DesktopEntry(const QString& installedPath)
{
    QMap<QString, QString> keys;
    QFile file(BuildTreePath(installedPath));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'['))
            inEntry = line == u"[Desktop Entry]";
        else if (inEntry && line.contains(u'=') && !line.startsWith(u'#'))
            keys.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return keys;
}

ToolRun RunTool(const QString& program, const QStringList& args, const ToolOptions& options)
{
    ToolRun run;
    QProcess process;
    if (!options.errorsApart)
        process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : options.environment)
        environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    process.setProcessEnvironment(environment);
    if (!options.workingFolder.isEmpty())
        process.setWorkingDirectory(options.workingFolder);
    process.start(program, args);
    if (!process.waitForFinished(options.timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    if (options.errorsApart)
        run.errors = QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() == QProcess::NormalExit && process.error() == QProcess::UnknownError)
        run.exitCode = process.exitCode();
    return run;
}
