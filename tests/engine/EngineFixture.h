// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine tests share: a fresh preference folder per test, source and
// destination folders, and pictures drawn with Qt so that the engine's own
// importer is what decides whether a file is a picture.
#pragma once

#include "app/engine/Conversion.h"
#include "platform/prefs/Preferences.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QVariant>

namespace enginetest
{

// Draws a width x height picture with smooth colour and some detail and
// writes it to path (any bytes) in the given format ("PNG", "JPEG").
bool MakePicture(const QByteArray& path, const char* format, int width = 64, int height = 48);
// The picture's format and size as Qt reads them; an empty format when it
// reads none.
struct PictureInfo {
    QByteArray format;
    int width = 0;
    int height = 0;
};
PictureInfo ReadPicture(const QByteArray& path);

// Whether name is base + " - " + a UUID (8-4-4-4-12 upper-case hex) + suffix.
bool IsUniqueName(const QByteArray& name, const QByteArray& base, const QByteArray& suffix);

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override;
    // Stores the chosen output extension (any kind of value) as the
    // preferences window would.
    void choose(const QVariant& extension);
    void convert(const QByteArray& sourcePath);

    testsupport::TempFolder config;
    testsupport::TempFolder source;
    testsupport::TempFolder destination;
    FSRef destinationRef;
};

} // namespace enginetest
