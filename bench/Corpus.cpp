// SPDX-License-Identifier: GPL-3.0-or-later
// Generating the corpus and looking at folders.
#include "Corpus.h"

#include "platform/graphics/testing/TestPictures.h"

#include <vips/vips8>

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace
{

bool Generate(const QByteArray& folder, const char* format, int count, int width, int height,
              const char* saveOptions)
{
    if (!MakeFolders(folder))
        return false;
    for (int i = 0; i < count; ++i) {
        const QByteArray path =
            folder + "/" + QByteArray::number(i).rightJustified(4, '0') + "." + format;
        if (QFileInfo::exists(QString::fromUtf8(path)))
            continue;
        platform::testing::TestPictureOptions options;
        options.seed = 1 + i;
        options.saveOptions = saveOptions;
        // Written beside the folder, then moved in: a run stopped half-way
        // leaves no partial picture that the next run would take as made.
        const QByteArray partial = folder + ".partial";
        if (platform::testing::WriteTestPicture(partial, format, width, height, options) != 0 ||
            std::rename(partial.constData(), path.constData()) != 0) {
            std::remove(partial.constData());
            std::fprintf(stderr, "cannot write %s\n", path.constData());
            return false;
        }
    }
    return true;
}

} // namespace

bool MakeFolders(const QByteArray& folder)
{
    return QDir().mkpath(QString::fromUtf8(folder));
}

bool PrepareCorpus(const QByteArray& folder, Corpus* corpus)
{
    corpus->smallPngs = folder + "/a-640x480-png";
    corpus->cameraJpegs = folder + "/b-3000x2000-jpeg";
    corpus->hugePng = folder + "/c-12000x9000-png";
    corpus->crowdedFolders.clear();
    for (int i = 1; i <= 3; ++i)
        corpus->crowdedFolders.push_back(folder + "/d-20000-files-" + QByteArray::number(i));
    std::fprintf(stderr, "Preparing the corpus in %s\n", folder.constData());
    if (!Generate(corpus->smallPngs, "png", 200, 640, 480, nullptr) ||
        !PrepareCameraJpegs(folder, &corpus->cameraJpegs) ||
        !Generate(corpus->hugePng, "png", 1, 12000, 9000, "compression=3"))
        return false;
    for (const QByteArray& crowded : corpus->crowdedFolders) {
        if (!MakeFolders(crowded))
            return false;
        if (QFileInfo::exists(QString::fromUtf8(crowded + "/existing-19999.jpg")))
            continue;
        for (int i = 0; i < 20000; ++i) {
            const QByteArray path =
                crowded + "/existing-" + QByteArray::number(i).rightJustified(5, '0') + ".jpg";
            if (std::FILE* file = std::fopen(path.constData(), "ab"))
                std::fclose(file);
            else
                return false;
        }
    }
    return true;
}

bool PrepareCameraJpegs(const QByteArray& folder, QByteArray* photos)
{
    *photos = folder + "/b-3000x2000-jpeg";
    return Generate(*photos, "jpg", 40, 3000, 2000, "Q=92");
}

bool PrepareLargeTiffs(const QByteArray& folder, QByteArray* tiffs)
{
    *tiffs = folder + "/f-10328x7760-tiff";
    std::fprintf(stderr, "Preparing the large TIFFs in %s\n", tiffs->constData());
    return Generate(*tiffs, "tif", 4, 10328, 7760, nullptr);
}

std::vector<QByteArray> FilesIn(const QByteArray& folder)
{
    std::vector<QByteArray> files;
    const QDir dir(QString::fromUtf8(folder));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        files.push_back(folder + "/" + name.toUtf8());
    return files;
}

long long BytesIn(const QByteArray& folder)
{
    long long bytes = 0;
    for (const QByteArray& file : FilesIn(folder))
        bytes += QFileInfo(QString::fromUtf8(file)).size();
    return bytes;
}

long long PixelsIn(const QByteArray& folder)
{
    long long pixels = 0;
    for (const QByteArray& file : FilesIn(folder)) {
        if (QFileInfo(QString::fromUtf8(file)).size() == 0)
            continue;
        const vips::VImage header = vips::VImage::new_from_file(file.constData());
        pixels += static_cast<long long>(header.width()) * header.height();
    }
    return pixels;
}

void RemoveFilesExcept(const QByteArray& folder, const QByteArray& prefix)
{
    for (const QByteArray& file : FilesIn(folder)) {
        if (!file.mid(folder.size() + 1).startsWith(prefix))
            std::remove(file.constData());
    }
}

void RemoveTree(const QByteArray& folder)
{
    QDir(QString::fromUtf8(folder)).removeRecursively();
}
