// SPDX-License-Identifier: GPL-3.0-or-later
// The system log over Qt's logging.
#include "platform/prefpane/SystemLog.h"

#include <QLoggingCategory>
#include <QStringList>

namespace
{
Q_LOGGING_CATEGORY(paneLog, "tessaly.pane", QtInfoMsg)
}

void NSLog(const QString& line)
{
    qCInfo(paneLog).noquote() << line;
}

QString DescriptionOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("(null)");
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QVariantList: {
        QStringList parts;
        for (const QVariant& element : value.toList())
            parts << DescriptionOf(element);
        return u'(' + parts.join(u", ") + u')';
    }
    case QMetaType::QVariantMap: {
        QString text = QStringLiteral("{");
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            text +=
                it.key() + QStringLiteral(" = ") + DescriptionOf(it.value()) + QStringLiteral("; ");
        return text + u'}';
    }
    case QMetaType::QByteArray:
        return u'<' + QString::fromLatin1(value.toByteArray().toHex()) + u'>';
    default:
        return value.toString();
    }
}
