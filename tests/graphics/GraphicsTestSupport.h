// What the graphics tests share: the export type list read through the
// public calls, the loader each export type must be read back with, and
// damaged or lying picture files built from real ones.
#pragma once

#include "platform/graphics/Graphics.h"

#include <QByteArray>

#include <string>
#include <vector>

struct ExportTypeEntry {
    OSType type = 0;
    QByteArray description;
    QByteArray extension;
    QByteArray mimeType;
};

// The list GraphicsImportGetExportImageTypeList gives the 'PICT' importer.
std::vector<ExportTypeEntry> ReadExportTypeList();

// The libvips loader that must read an output of the type back; empty for
// a type these tests do not know (which is itself a failure).
std::string LoaderForExtension(const QByteArray& extension);

// The first half of a file.
QByteArray Truncated(const QByteArray& bytes);
// A run of garbage over the middle of the picture data.
QByteArray WithGarbageInside(const QByteArray& bytes);
// Garbage over the bytes after the first four (the signature stays).
QByteArray WithGarbageHeader(const QByteArray& bytes);
// A PNG whose header says width × height RGB pixels, followed by a few rows
// of data only.
QByteArray PngClaimingSize(quint32 width, quint32 height);
// A real JPEG with the size in its frame header changed.
QByteArray JpegClaimingSize(QByteArray jpeg, quint16 width, quint16 height);
