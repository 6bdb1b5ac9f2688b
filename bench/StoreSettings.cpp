// SPDX-License-Identifier: GPL-3.0-or-later
// Stores the settings of a demonstration or benchmark run in the preference
// domain of $XDG_CONFIG_HOME, as the preferences window would:
//
//   tessaly_store_settings COPY_TO_FOLDER [EXTENSION]
//
// copy-to on, the copy-to folder as an alias record, quit-when-done on, and
// the output format when an extension is given. Exit status 0, 1 when the
// folder cannot be found, 2 for bad arguments.
#include "app/engine/Settings.h"
#include "platform/memory/Memory.h"

#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tessaly_store_settings COPY_TO_FOLDER [EXTENSION]\n");
        return 2;
    }
    FSRef folder;
    AliasHandle alias = nullptr;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(argv[1]), &folder, nullptr) != noErr ||
        FSNewAlias(nullptr, &folder, &alias) != noErr) {
        std::fprintf(stderr, "tessaly_store_settings: no folder at %s\n", argv[1]);
        return 1;
    }
    const QByteArray record(*alias, qsizetype(GetHandleSize(alias)));
    DisposeHandle(alias);
    WriteSetting(kCopyToSetting, true);
    WriteSetting(kCopyToLocationSetting, record);
    WriteSetting(kQuitWhenDoneSetting, true);
    if (argc == 3)
        WriteSetting(kLastImageURLExtensionSetting, QString::fromLocal8Bit(argv[2]));
    return 0;
}
