// SPDX-License-Identifier: GPL-3.0-or-later
// Shared set-up of the engine tests.
#include "EngineFixture.h"

#include "app/engine/Settings.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>

#include <cstdlib>

namespace enginetest
{

bool MakePicture(const QByteArray& path, const char* format, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 255) / width, (y * 255) / height, ((x ^ y) * 7) & 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        return false;
    return testsupport::WriteFile(path, bytes);
}

PictureInfo ReadPicture(const QByteArray& path)
{
    QByteArray bytes = testsupport::ReadFile(path);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    PictureInfo info;
    const QByteArray format = reader.format(); // before reading moves the device on
    const QImage image = reader.read();
    if (image.isNull())
        return info;
    info.format = format;
    info.width = image.width();
    info.height = image.height();
    return info;
}

bool IsUniqueName(const QByteArray& name, const QByteArray& base, const QByteArray& suffix)
{
    if (!name.startsWith(base) || !name.endsWith(suffix))
        return false;
    const QByteArray middle = name.mid(base.size(), name.size() - base.size() - suffix.size());
    static const QRegularExpression uuid(
        "^( - )?[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    const bool separated = middle.startsWith(" - ");
    return uuid.match(QString::fromLatin1(middle)).hasMatch() && separated == !base.isEmpty();
}

void EngineTest::SetUp()
{
    ::setenv("XDG_CONFIG_HOME", config.path().constData(), 1);
    destinationRef = testsupport::RefFor(destination.path());
}

void EngineTest::choose(const QVariant& extension)
{
    WriteSetting(kLastImageURLExtensionSetting, extension);
    CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);
}

void EngineTest::convert(const QByteArray& sourcePath)
{
    ProcessFSRef(testsupport::RefFor(sourcePath), destinationRef);
}

} // namespace enginetest
