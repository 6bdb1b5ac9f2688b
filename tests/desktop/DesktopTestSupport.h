// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop-integration tests share: where the build tree keeps the
// installed layout, reading a desktop entry, and running the desktop's and
// Debian's own tools.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

inline const QString kDesktopFile =
    QStringLiteral("share/applications/com.quorvane.Tessaly.desktop");
inline const QString kIcon =
    QStringLiteral("share/icons/hicolor/scalable/apps/com.quorvane.Tessaly.svg");
inline const QString kBundleIcon = QStringLiteral("share/tessaly/tessaly.svg");
inline const QString kMetainfo = QStringLiteral("share/metainfo/com.quorvane.Tessaly.metainfo.xml");

// The build tree's copy of an installed file, by its path below the prefix.
QString BuildTreePath(const QString& installedPath);

// The keys of the [Desktop Entry] group of the desktop file at the given
// installed path, read from the build tree.
QMap<QString, QString> DesktopEntry(const QString& installedPath);

struct ToolRun {
    int exitCode = -1; // -1: did not start, crashed or ran too long
    QString output;    // standard output, with standard error unless kept apart
    QString errors;    // standard error when kept apart
};

struct ToolOptions {
    bool errorsApart = false;
    QStringList environment = {}; // NAME=VALUE, set over the test's own
    QString workingFolder = {};
    int timeoutMs = 60000;
};

ToolRun RunTool(const QString& program, const QStringList& args, const ToolOptions& options = {});
