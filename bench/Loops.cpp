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

#include <cstdio>
#include <string>

namespace
{

void PrintResult(const QElapsedTimer& timer)
{
    std::printf("RESULT %.4f\n", double(timer.nsecsElapsed()) / 1e9);
    std::fflush(stdout);
}

} // namespace

int RunEngineLoop(const QByteArray& sources, const QByteArray& destination,
                  const QByteArray& extension)
{
    // The chosen extension goes where the preferences window puts it, in a
    // preference store of this run's own.
    QTemporaryDir configuration;
    qputenv("XDG_CONFIG_HOME", configuration.path().toUtf8());
    WriteSetting(kLastImageURLExtensionSetting, QString::fromUtf8(extension));
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

int RunFloorLoop(const QByteArray& sources, const QByteArray& destination,
                 const QByteArray& extension, const QByteArray& extraOptions, bool safeWrites)
{
    const platform::graphics::SaverEntry* saver =
        platform::graphics::FindSaverForExtension(extension.constData());
    if (!saver)
        return 2;
    const std::vector<QByteArray> files = FilesIn(sources);

    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& file : files) {
        const vips::VImage picture = vips::VImage::new_from_file(
            file.constData(), vips::VImage::option()
                                  ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                  ->set("fail_on", VIPS_FAIL_ON_ERROR));
        // The very options the engine's exporter gives this picture.
        std::string options = platform::graphics::SaverOptions(
            *saver, codecHighQuality, {picture.width(), picture.height(), picture.bands()});
        if (!extraOptions.isEmpty())
            options += "," + extraOptions.toStdString();
        const QByteArray name = file.mid(file.lastIndexOf('/') + 1);
        const QByteArray output =
            destination + "/" + name.left(name.lastIndexOf('.')) + "." + extension;
        const QByteArray optionText = "[" + QByteArray::fromStdString(options) + "]";
        if (!safeWrites) {
            picture.write_to_file((output + optionText).constData());
            continue;
        }
        QByteArray temporary = destination + "/.bench-XXXXXX." + extension;
        const int fd = ::mkstemps(temporary.data(), int(extension.size()) + 1);
        if (fd < 0)
            return 3;
        picture.write_to_file((temporary + optionText).constData());
        if (::close(fd) != 0 || ::rename(temporary.constData(), output.constData()) != 0)
            return 3;
    }
    PrintResult(timer);
    return 0;
}
