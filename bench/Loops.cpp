// SPDX-License-Identifier: GPL-3.0-or-later
// The engine loop and the libvips floor loop.
#include "Loops.h"

#include "Corpus.h"

#include "app/engine/Conversion.h"
#include "app/engine/ExporterCatalogue.h"
#include "app/engine/Settings.h"
#include "platform/files/Files.h"
#include "platform/graphics/SaverTable.h"
#include "platform/prefs/Preferences.h"

#include <vips/vips8>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace
{

void PrintResult(const QElapsedTimer& timer)
{
    std::printf("RESULT %.4f\n", double(timer.nsecsElapsed()) / 1e9);
    std::fflush(stdout);
}

} // namespace

int RunEngineLoop(const QByteArray& sources, const QByteArray& destination,
                  const QByteArray& extension, const QByteArray& quality)
{
    // The chosen extension goes where the preferences window puts it, in a
    // preference store of this run's own.
    QTemporaryDir configuration;
    qputenv("XDG_CONFIG_HOME", configuration.path().toUtf8());
    WriteSetting(kLastImageURLExtensionSetting, QString::fromUtf8(extension));
    if (!quality.isEmpty())
        WriteSetting(kQualitySetting, quality.toInt());
    GetExportTypes(); // at start-up, as the application does
    FSRef folder;
    if (platform::RefFromPath(destination, &folder) != 0)
        return 2;
    const std::vector<QByteArray> files = FilesIn(sources);

    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& file : files) {
        FSRef source;
        if (platform::RefFromPath(file, &source) == 0)
            ProcessFSRef(source, folder);
    }
    PrintResult(timer);
    return 0;
}

namespace
{

// Converts one picture the floor's way; false when writing it failed.
bool ConvertWithLibvips(const QByteArray& file, const platform::graphics::SaverEntry& saver,
                        const FloorOptions& floor)
{
    const vips::VImage picture =
        vips::VImage::new_from_file(file.constData(), vips::VImage::option()
                                                          ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                          ->set("fail_on", VIPS_FAIL_ON_ERROR));
    // The very options the engine's exporter gives this picture. A large
    // JPEG the engine writes with standard tables and then re-codes with
    // optimal ones; libvips' own way to the same bytes is its whole-picture
    // option, which the floor takes instead.
    // A JPEG source at 4:4:4 keeps its colour resolution, as the exporter
    // decides from the loader's own account of the sampling.
    const char* sampling = nullptr;
    const bool fullChroma =
        vips_image_get_typeof(picture.get_image(), "jpeg-chroma-subsample") &&
        vips_image_get_string(picture.get_image(), "jpeg-chroma-subsample", &sampling) == 0 &&
        sampling && std::string_view(sampling).starts_with("4:4:4");
    const platform::graphics::PictureShape shape{picture.width(), picture.height(), picture.bands(),
                                                 fullChroma};
    std::string options =
        platform::graphics::SaverOptions(saver, {saver.exportType, codecHighQuality}, shape);
    if (platform::graphics::ReencodesTables(saver, codecHighQuality, shape))
        options += std::string(",") + saver.wholePictureOptions;
    if (!floor.extraOptions.isEmpty())
        options += "," + floor.extraOptions.toStdString();
    const QByteArray name = file.mid(file.lastIndexOf('/') + 1);
    const QByteArray output =
        floor.destination + "/" + name.left(name.lastIndexOf('.')) + "." + floor.extension;
    const QByteArray optionText = "[" + QByteArray::fromStdString(options) + "]";
    if (!floor.safeWrites) {
        picture.write_to_file((output + optionText).constData());
        return true;
    }
    QByteArray temporary = floor.destination + "/.bench-XXXXXX." + floor.extension;
    const int fd = ::mkstemps(temporary.data(), int(floor.extension.size()) + 1);
    if (fd < 0)
        return false;
    picture.write_to_file((temporary + optionText).constData());
    return ::close(fd) == 0 && ::rename(temporary.constData(), output.constData()) == 0;
}

} // namespace

int RunFloorLoop(const QByteArray& sources, const FloorOptions& floor)
{
    const platform::graphics::SaverEntry* saver =
        platform::graphics::FindSaverForExtension(floor.extension.constData());
    if (!saver)
        return 2;
    const std::vector<QByteArray> files = FilesIn(sources);
    if (floor.threads > 0)
        vips_concurrency_set(1);
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    // Takes the next file not yet taken until none is left.
    const auto work = [&] {
        for (size_t i = next++; i < files.size() && !failed; i = next++) {
            try {
                if (!ConvertWithLibvips(files[i], *saver, floor))
                    failed = true;
            } catch (const vips::VError& error) {
                std::fprintf(stderr, "%s: %s\n", files[i].constData(), error.what());
                failed = true;
            }
        }
    };

    QElapsedTimer timer;
    timer.start();
    if (floor.threads > 0) {
        std::vector<std::thread> threads;
        for (int i = 0; i < floor.threads; ++i)
            threads.emplace_back(work);
        for (std::thread& thread : threads)
            thread.join();
    } else {
        work();
    }
    if (failed)
        return 3;
    PrintResult(timer);
    return 0;
}
