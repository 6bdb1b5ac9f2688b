// SPDX-License-Identifier: GPL-3.0-or-later
// The drag pasteboard over QMimeData. Pasteboard types map onto MIME formats:
//
//   NSStringPboardType     text/plain
//   NSURLPboardType        text/uri-list (its first URI, as written)
//   NSFilenamesPboardType  text/uri-list whose URIs are all file: URIs, read
//                          as a list of paths (what file managers drag)
//   any other type         a format of that very name
//
// Paths from file: URIs keep their bytes: a name that is not UTF-8 comes back
// with the lone surrogates of NameFromBytes, so the text tells it apart.
#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

extern const QString NSStringPboardType;
extern const QString NSURLPboardType;
extern const QString NSFilenamesPboardType;

class NSPasteboard
{
public:
    // A pasteboard that can be written (the start of a drag).
    explicit NSPasteboard(QMimeData* data) : m_data(data), m_readOnly(data) {}
    // One that can only be read (a drag that arrives).
    explicit NSPasteboard(const QMimeData* data) : m_data(nullptr), m_readOnly(data) {}

    // Clears the pasteboard and declares the types it will hold. The owner
    // is the drag's source; a drag carries nothing but its data, so it is
    // not recorded.
    void declareTypes(const QStringList& types, QObject* owner);
    bool setData(const QByteArray& data, const QString& type);

    QStringList types() const;
    std::optional<QByteArray> dataForType(const QString& type) const;
    // The type's text: NSStringPboardType's text, NSURLPboardType's first URI;
    // nothing for types without text (NSFilenamesPboardType among them).
    std::optional<QString> stringForType(const QString& type) const;
    // NSFilenamesPboardType's list of paths (a QStringList); an invalid
    // QVariant when the pasteboard holds no file paths.
    QVariant propertyListForType(const QString& type) const;

    // The MIME format a type travels in.
    static QString formatForType(const QString& type);

private:
    QMimeData* m_data;
    const QMimeData* m_readOnly;
};

// What the table hands to drop validation and acceptance.
class NSDraggingInfo
{
public:
    explicit NSDraggingInfo(const QMimeData* data) : m_data(data) {}
    NSPasteboard draggingPasteboard() const { return NSPasteboard(m_data); }

private:
    const QMimeData* m_data;
};

// Whether text has a UTF-8 form (no unpaired surrogates), as
// cStringUsingEncoding: with UTF-8 asks.
bool HasUTF8Form(const QString& text);

namespace NSFileManager
{
// Whether an item exists at path, following links; *isDirectory (when given)
// whether it is a folder.
bool fileExistsAtPath(const QString& path, bool* isDirectory);
} // namespace NSFileManager
