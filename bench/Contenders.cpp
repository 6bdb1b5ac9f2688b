// SPDX-License-Identifier: GPL-3.0-or-later
// The contenders, each run as processes of its own.
#include "Contenders.h"

#include "Corpus.h"

#include <algorithm>
#include <cstdio>

Contender Engine(const QByteArray& self, const QByteArray& label)
{
    return {label, [=](const Set& set, const QByteArray& out) {
                return RunProcess({self, "engine", set.sources, out, set.extension});
            }};
}

Contender EngineAtQuality(const QByteArray& self, const QByteArray& label, int quality)
{
    return {label, [=](const Set& set, const QByteArray& out) {
                return RunProcess(
                    {self, "engine", set.sources, out, set.extension, QByteArray::number(quality)});
            }};
}

Contender Floor(const QByteArray& self, const QByteArray& label, const QByteArray& options,
                bool safeWrites)
{
    return {label, [=](const Set& set, const QByteArray& out) {
                return RunProcess({self, safeWrites ? "floor-safe" : "floor", set.sources, out,
                                   set.extension, options});
            }};
}

Contender ParallelFloor(const QByteArray& self, int threads)
{
    return {"parallel floor (" + QByteArray::number(threads) + " threads)",
            [=](const Set& set, const QByteArray& out) {
                return RunProcess({self, "floor-parallel", set.sources, out, set.extension,
                                   QByteArray::number(threads)});
            }};
}

Contender ToFolder(const Programs& programs, int jobs)
{
    std::vector<QByteArray> options;
    if (jobs > 0)
        options = {"-j", QByteArray::number(jobs)};
    QByteArray label = "tessaly --to";
    for (const QByteArray& option : options)
        label += " " + option;
    return {label, [=](const Set& set, const QByteArray& out) {
                // The output format is the one the preferences hold.
                if (!StoreSettings(programs, out, set.extension))
                    return ProcessRun{};
                std::vector<QByteArray> arguments = {programs.tessaly, "--to", out};
                arguments.insert(arguments.end(), options.begin(), options.end());
                arguments.push_back(set.sources);
                return RunProcess(arguments);
            }};
}

Contender Window(const Programs& programs, int jobs)
{
    std::vector<std::pair<QString, QString>> environment;
    QByteArray label = "tessaly window, offscreen";
    if (jobs > 0) {
        environment.push_back({QStringLiteral("TESSALY_JOBS"), QString::number(jobs)});
        label = "window, TESSALY_JOBS=" + QByteArray::number(jobs);
    }
    return {label, [=](const Set& set, const QByteArray& out) {
                ProcessRun run;
                if (!StoreSettings(programs, out, set.extension))
                    return run;
                const WindowedRun window =
                    RunWindowed(programs, set.sources, out, set.pictures, environment);
                if (!window.succeeded)
                    std::fprintf(stderr, "the window's run failed:\n%s\n",
                                 window.errors.right(2000).constData());
                run.succeeded = window.succeeded;
                run.seconds = window.seconds;
                run.cpuSeconds = window.cpuSeconds;
                run.peakMemoryKiB = window.peakMemoryKiB;
                return run;
            }};
}

Contender Mogrify(bool graphicsMagick)
{
    const QByteArray label = graphicsMagick ? "gm mogrify -quality 75" : "mogrify -quality 75";
    return {
        label, [=](const Set& set, const QByteArray& out) {
            std::vector<QByteArray> arguments = {"mogrify", "-path"};
            if (graphicsMagick)
                arguments = {"gm", "mogrify", "-output-directory"};
            arguments.insert(arguments.end(), {out, "-format", set.extension, "-quality", "75"});
            // GraphicsMagick puts an output at the output folder followed
            // by the source's path as given, so the sources are given
            // by name from their own folder.
            for (const QByteArray& file : FilesIn(set.sources))
                arguments.push_back(file.mid(set.sources.size() + 1));
            return RunProcess(arguments, set.sources);
        }};
}

Contender VipsCopy(const QByteArray& extension)
{
    const QByteArray options = extension == "png" ? "" : "[Q=75]";
    return {"vips copy" + options + " per file", [=](const Set& set, const QByteArray& out) {
                ProcessRun total;
                total.succeeded = true;
                for (const QByteArray& file : FilesIn(set.sources)) {
                    const QByteArray name = file.mid(file.lastIndexOf('/') + 1);
                    const QByteArray output = out + "/" + name.left(name.lastIndexOf('.')) + "." +
                                              set.extension + options;
                    const ProcessRun one = RunProcess({"vips", "copy", file, output});
                    total.succeeded = total.succeeded && one.succeeded;
                    total.seconds += one.seconds;
                    total.cpuSeconds += one.cpuSeconds;
                    total.peakMemoryKiB = std::max(total.peakMemoryKiB, one.peakMemoryKiB);
                }
                return total;
            }};
}
