#include "DesktopTestSupport.h"

#include <QFile>
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
