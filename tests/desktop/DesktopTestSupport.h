// What the desktop-integration tests share: where the build tree keeps the
// installed layout, and reading a desktop entry.
#pragma once

#include <QMap>
#include <QString>

inline const QString kDesktopFile =
    QStringLiteral("share/applications/com.quorvane.Tessaly.desktop");

// The build tree's copy of an installed file, by its path below the prefix.
QString BuildTreePath(const QString& installedPath);

// The keys of the [Desktop Entry] group of the desktop file at the given
// installed path, read from the build tree.
QMap<QString, QString> DesktopEntry(const QString& installedPath);
