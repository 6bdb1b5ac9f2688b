// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line:
//
//   tessaly [-j N] [ITEM...]                 the window; items arrive as a drop
//   tessaly --to DESTINATION [-j N] ITEM...  no window: converts into DESTINATION
//   tessaly --help | --version
//
// Options come in any order among the items, until "--", after which every
// word is an item. --to D is also --to=D; -j N is also -jN, --jobs N and
// --jobs=N. -j N converts N files at once (TESSALY_JOBS=N does too; by
// default one per core); -j 1 converts one file after another. --help and
// --version end the reading where they stand.
#pragma once

#include <QStringList>

struct CommandLine {
    enum class Mode { Window, ToFolder, Help, Version, Bad } mode = Mode::Window;
    QString destination; // --to
    QStringList items;   // paths or file:// URLs
    int workers = 0;     // -j; 0: not given
    QString problem;     // why the arguments are bad
};

CommandLine ParseCommandLine(const QStringList& arguments); // without the program name
QString UsageText(); // the usage lines, also shown after a usage error
// The usage lines, what each option does, TESSALY_JOBS, and the settings
// file as the environment places it.
QString HelpText();
QString VersionText();

// Converts the items into the destination through the batch, writing its
// messages to standard output; 0, or 2 when an argument names no usable item,
// or 128 and the signal's number when a signal ended the batch early.
int RunToFolder(const CommandLine& line);
