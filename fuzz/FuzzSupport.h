// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: one private folder per process that the
// inputs are written into, and the file manager's names for its items.
#pragma once

#include "platform/files/Files.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

namespace fuzzsupport
{

// A folder of this process's own, made on first use and removed at exit.
const QByteArray& WorkFolder();
// Writes bytes to the file path, replacing what was there; aborts when the
// file cannot be written, since every later result would be meaningless.
void WriteWhole(const QByteArray& path, const uint8_t* data, size_t size);
QByteArray ReadWhole(const QByteArray& path);
// The names in a folder, sorted, without "." and "..".
QList<QByteArray> NamesIn(const QByteArray& folder);
// A file reference or file specification for an item that must exist; aborts otherwise.
FSRef RefFor(const QByteArray& path);
FSSpec SpecFor(const QByteArray& path);
// Stops the run with a message, the way a sanitizer would, so that libFuzzer
// keeps the input that broke a promise the code makes.
[[noreturn]] void Fail(const char* what);

} // namespace fuzzsupport
