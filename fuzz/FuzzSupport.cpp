// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the fuzz targets.
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzzsupport
{

const QByteArray& WorkFolder()
{
    // Kept for the whole run; removed with everything in it at exit.
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/tessaly-fuzz-XXXXXX"));
    static const QByteArray path = QFile::encodeName(folder.path());
    if (!folder.isValid())
        Fail("cannot make a work folder");
    return path;
}

void WriteWhole(const QByteArray& path, const uint8_t* data, size_t size)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        Fail("cannot write the input file");
}

QByteArray ReadWhole(const QByteArray& path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> NamesIn(const QByteArray& folder)
{
    QList<QByteArray> names;
    const QStringList entries =
        QDir(QFile::decodeName(folder))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    for (const QString& entry : entries)
        names.append(QFile::encodeName(entry));
    return names;
}

FSRef RefFor(const QByteArray& path)
{
    FSRef ref;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(path.constData()), &ref, nullptr) != noErr)
        Fail("no reference for a work file");
    return ref;
}

FSSpec SpecFor(const QByteArray& path)
{
    const FSRef ref = RefFor(path);
    FSSpec spec;
    if (FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) != noErr)
        Fail("no file specification for a work file");
    return spec;
}

void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz target: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzzsupport
