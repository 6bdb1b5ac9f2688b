// SPDX-License-Identifier: GPL-3.0-or-later
// Pasteboard types over MIME formats.
#include "platform/prefpane/Pasteboard.h"

#include "platform/text/TextEncoding.h"

#include <QUrl>

#include <sys/stat.h>

const QString NSStringPboardType = QStringLiteral("NSStringPboardType");
const QString NSURLPboardType = QStringLiteral("NSURLPboardType");
const QString NSFilenamesPboardType = QStringLiteral("NSFilenamesPboardType");

namespace
{

const QString kTextFormat = QStringLiteral("text/plain");
const QString kURIListFormat = QStringLiteral("text/uri-list");

// The URIs of a text/uri-list as written: one a line, "#" lines are comments.
QStringList urisOf(const QMimeData* data)
{
    QStringList uris;
    if (!data || !data->hasFormat(kURIListFormat))
        return uris;
    const QList<QByteArray> lines = data->data(kURIListFormat).split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            uris.append(QString::fromUtf8(line));
    }
    return uris;
}

// The path of a file: URI with the bytes its escapes stand for; nothing for
// other URIs.
std::optional<QString> pathOfFileURI(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != u"file" ||
        !(url.host().isEmpty() || url.host() == u"localhost"))
        return std::nullopt;
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!bytes.startsWith('/'))
        return std::nullopt;
    return CFStringCreateWithFileSystemRepresentation(bytes.constData());
}

} // namespace

QString NSPasteboard::formatForType(const QString& type)
{
    if (type == NSStringPboardType)
        return kTextFormat;
    if (type == NSURLPboardType || type == NSFilenamesPboardType)
        return kURIListFormat;
    return type;
}

void NSPasteboard::declareTypes(const QStringList& types, QObject*)
{
    if (!m_data)
        return;
    m_data->clear();
    for (const QString& type : types)
        m_data->setData(formatForType(type), QByteArray());
}

bool NSPasteboard::setData(const QByteArray& data, const QString& type)
{
    if (!m_data)
        return false;
    m_data->setData(formatForType(type), data);
    return true;
}

QStringList NSPasteboard::types() const
{
    QStringList types;
    if (!m_readOnly)
        return types;
    for (const QString& format : m_readOnly->formats()) {
        if (format == kTextFormat)
            types << NSStringPboardType;
        else if (format == kURIListFormat)
            types << NSURLPboardType;
        else
            types << format;
    }
    if (propertyListForType(NSFilenamesPboardType).isValid())
        types << NSFilenamesPboardType;
    return types;
}

std::optional<QByteArray> NSPasteboard::dataForType(const QString& type) const
{
    const QString format = formatForType(type);
    if (!m_readOnly || !m_readOnly->hasFormat(format))
        return std::nullopt;
    return m_readOnly->data(format);
}

std::optional<QString> NSPasteboard::stringForType(const QString& type) const
{
    if (!m_readOnly)
        return std::nullopt;
    if (type == NSStringPboardType && m_readOnly->hasFormat(kTextFormat))
        return m_readOnly->text();
    if (type == NSURLPboardType) {
        const QStringList uris = urisOf(m_readOnly);
        if (!uris.isEmpty())
            return uris.first();
    }
    return std::nullopt;
}

QVariant NSPasteboard::propertyListForType(const QString& type) const
{
    if (type != NSFilenamesPboardType)
        return QVariant();
    const QStringList uris = urisOf(m_readOnly);
    if (uris.isEmpty())
        return QVariant();
    QStringList paths;
    for (const QString& uri : uris) {
        const auto path = pathOfFileURI(uri);
        if (!path)
            return QVariant();
        paths << *path;
    }
    return paths;
}

bool HasUTF8Form(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

bool NSFileManager::fileExistsAtPath(const QString& path, bool* isDirectory)
{
    if (isDirectory)
        *isDirectory = false;
    const QByteArray bytes = NameToBytes(path);
    struct stat st {
    };
    if (bytes.isEmpty() || bytes.contains('\0') || ::stat(bytes.constData(), &st) != 0)
        return false;
    if (isDirectory)
        *isDirectory = S_ISDIR(st.st_mode);
    return true;
}
