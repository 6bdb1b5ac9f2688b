// SPDX-License-Identifier: GPL-3.0-or-later
// Views made from interface files: Qt Designer .ui files read at run time,
// which may use the platform's own view classes (NSTableView) by name.
#pragma once

#include <QString>

class QWidget;

// The view described in the interface file at path (a file or a Qt resource
// path), parented to parent. Null, with *error telling why, when the file is
// missing or does not describe a view.
QWidget* LoadInterfaceFile(const QString& path, QWidget* parent, QString* error);
