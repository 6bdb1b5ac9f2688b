// SPDX-License-Identifier: GPL-3.0-or-later
// The system log as panes write to it, and the text form of values in it.
#pragma once

#include <QString>
#include <QVariant>

// Writes one line to the system log (Qt's message handler: standard error
// or the journal), under the category "tessaly.pane".
void NSLog(const QString& line);

// A value's text form as "%@" shows it: numbers as their decimal digits,
// text as itself, arrays as "(a, b)", dictionaries as "{key = value; }".
QString DescriptionOf(const QVariant& value);
