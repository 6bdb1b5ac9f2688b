// The program's command line:
//
//   tessaly [ITEM...]                  the window; items arrive as a drop
//   tessaly --to DESTINATION ITEM...   no window: converts into DESTINATION
//   tessaly --help | --version
#pragma once

#include <QStringList>

struct CommandLine {
    enum class Mode { Window, ToFolder, Help, Version, Bad } mode = Mode::Window;
    QString destination; // --to
    QStringList items;   // paths or file:// URLs
    QString problem;     // why the arguments are bad
};

CommandLine ParseCommandLine(const QStringList& arguments); // without the program name
QString UsageText();
QString VersionText();

// Converts the items into the destination through the batch, writing its
// messages to standard output; 0, or 2 when an argument names no usable item.
int RunToFolder(const CommandLine& line);
