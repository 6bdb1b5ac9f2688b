// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher's MIME types are the ones the importer reads: a picture of
// each kind this machine can make is read (or refused) by the importer, and
// its type, as the desktop's MIME database sees it, is listed by the desktop
// file exactly when the importer reads it.
#include "DesktopTestSupport.h"

#include "platform/files/Files.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

using testsupport::TempFolder;

enum class Maker {
    Vips,   // libvips' own saver for the suffix
    Magick, // ImageMagick's convert, from a PNG
    Text,   // the bytes given
};

struct Sample {
    const char* suffix;
    Maker maker;
    bool picture; // the importer reads it
    bool listed;  // the launcher offers to open it
    const char* text = nullptr;
};

// Pictures whose kind the desktop's MIME database calls something else
// (a Radiance picture is "text/x-mpsub" to it, a float PFM unknown) are
// read when dropped, but the launcher does not claim those other kinds.
const Sample kSamples[] = {
    {"jpg", Maker::Vips, true, true},
    {"png", Maker::Vips, true, true},
    {"webp", Maker::Vips, true, true},
    {"tif", Maker::Vips, true, true},
    {"gif", Maker::Vips, true, true},
    {"avif", Maker::Vips, true, true},
    {"heic", Maker::Vips, true, true},
    {"jxl", Maker::Vips, true, true},
    {"jp2", Maker::Vips, true, true},
    {"j2k", Maker::Vips, true, true},
    {"ppm", Maker::Vips, true, true},
    {"pgm", Maker::Vips, true, true},
    {"pbm", Maker::Vips, true, true},
    {"pfm", Maker::Vips, true, false},
    {"hdr", Maker::Vips, true, false},
    {"v", Maker::Vips, false, false},
    {"csv", Maker::Vips, false, false},
    {"mat", Maker::Vips, false, false},
    {"exr", Maker::Magick, true, true},
    {"bmp", Maker::Magick, true, true},
    {"dib", Maker::Magick, true, true},
    {"ico", Maker::Magick, true, true},
    {"cur", Maker::Magick, true, true},
    {"tga", Maker::Magick, true, true},
    {"pcx", Maker::Magick, true, true},
    {"xpm", Maker::Magick, true, true},
    {"xbm", Maker::Magick, true, true},
    {"psd", Maker::Magick, true, true},
    {"sgi", Maker::Magick, true, true},
    {"ras", Maker::Magick, true, true},
    {"dds", Maker::Magick, true, true},
    {"pict", Maker::Magick, true, true},
    {"jng", Maker::Magick, true, true},
    {"mng", Maker::Magick, true, true},
    {"miff", Maker::Magick, true, false},
    {"wbmp", Maker::Magick, false, false},
    {"xwd", Maker::Magick, false, false},
    {"svg", Maker::Text, true, true,
     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"30\">"
     "<rect width=\"40\" height=\"30\" fill=\"#3a7\"/></svg>\n"},
    {"txt", Maker::Text, false, false, "not a picture\n"},
};

// Formats that only ImageMagick reads here (not read by a loader of
// libvips' own).
bool OnlyImageMagickReads(const Sample& sample)
{
    return sample.maker == Maker::Magick && std::strcmp(sample.suffix, "exr") != 0;
}

bool Make(const Sample& sample, const TempFolder& folder, QByteArray* path)
{
    *path = folder / "sample." + sample.suffix;
    switch (sample.maker) {
    case Maker::Vips:
        return platform::testing::WriteTestPicture(*path, sample.suffix, 64, 48) == noErr;
    case Maker::Text:
        return testsupport::WriteFile(*path, sample.text);
    case Maker::Magick: {
        const QByteArray png = folder / "from.png";
        if (platform::testing::WriteTestPicture(png, "png", 64, 48) != noErr)
            return false;
        QProcess convert;
        convert.start(QStringLiteral("convert"),
                      {QString::fromUtf8(png), QString::fromUtf8(*path)});
        return convert.waitForFinished(60000) && convert.exitStatus() == QProcess::NormalExit &&
               convert.exitCode() == 0 && testsupport::Exists(*path);
    }
    }
    return false;
}

bool ImporterReads(const QByteArray& path)
{
    FSSpec spec{};
    const FSRef ref = testsupport::RefFor(path);
    if (FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) != noErr)
        return false;
    GraphicsImportComponent importer = nullptr;
    if (GetGraphicsImporterForFile(&spec, &importer) != noErr)
        return false;
    CloseComponent(importer);
    return true;
}

TEST(LauncherMimeTypes, AreTheKindsTheImporterReads)
{
    const QStringList listed = DesktopEntry(kDesktopFile)
                                   .value(QStringLiteral("MimeType"))
                                   .split(u';', Qt::SkipEmptyParts);
    EXPECT_TRUE(listed.contains(u"inode/directory")) << "folders are dropped too";
    const QMimeDatabase mimeDatabase;
    std::vector<std::pair<const Sample*, bool>> onlyImageMagick;
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.suffix);
        TempFolder folder;
        QByteArray path;
        if (sample.maker == Maker::Magick) {
            ASSERT_EQ(testsupport::MissingProgram(QStringLiteral("convert"), "imagemagick"), "");
        }
        ASSERT_TRUE(Make(sample, folder, &path)) << "cannot make the sample";
        const QString mime = mimeDatabase.mimeTypeForFile(QString::fromUtf8(path)).name();
        EXPECT_EQ(listed.contains(mime), sample.listed) << qPrintable(mime);
        const bool reads = ImporterReads(path);
        if (OnlyImageMagickReads(sample))
            onlyImageMagick.emplace_back(&sample, reads);
        else
            EXPECT_EQ(reads, sample.picture);
    }
    // A libvips without ImageMagick reads none of these: then the launcher
    // claims kinds that this machine's importer refuses, which is harmless
    // and right again wherever ImageMagick is there. Where it reads any, it
    // must read exactly those the launcher claims.
    const bool imageMagickWorks = std::any_of(onlyImageMagick.begin(), onlyImageMagick.end(),
                                              [](const auto& row) { return row.second; });
    if (!imageMagickWorks)
        std::printf("note: the importer reads no ImageMagick format on this machine\n");
    for (const auto& [sample, reads] : onlyImageMagick) {
        if (imageMagickWorks || reads) {
            EXPECT_EQ(reads, sample->picture) << sample->suffix;
        }
    }
}

} // namespace
