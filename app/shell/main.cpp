// Tessaly's command-line front end over the engine, until the windowed
// droplet takes its place: tessaly DESTINATION ITEM...
//
// Every picture among the items, and every file at any depth inside the
// folders among them, is converted into DESTINATION in the chosen format
// (the "Last ImageURL Extension" preference, else the first export type).
#include "app/engine/Conversion.h"
#include "app/engine/EngineGlobals.h"
#include "app/engine/ExporterCatalogue.h"
#include "app/engine/FolderWalk.h"
#include "file/CFile.h"
#include "platform/memory/Memory.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void convertOne(const FSRef& file, const FSRef& destination)
{
    char* name = FSGetObjectName(file);
    if (!name)
        return;
    std::printf("File: %.249s\n", name);
    ProcessFSRef(file, destination);
    DisposePtr(name);
}

OSErr convertFolder(const FSRef& folder, const FSRef& destination)
{
    gNbrFilesToBeProcessed = 0;
    gNbrFilesProcessed = 0;
    OSErr status = IterateCountFolder(folder);
    if (gNbrFilesToBeProcessed <= 0)
        return status;
    gFSRefArray = reinterpret_cast<FSRef*>(NewPtr(Size(gNbrFilesToBeProcessed) * Size(sizeof(FSRef))));
    if (!gFSRefArray)
        return status;
    status = IterateCollectFolder(folder);
    if (gNbrFilesProcessed == gNbrFilesToBeProcessed) {
        for (SInt32 i = 0; i < gNbrFilesToBeProcessed && !gStopping && !gQuitting; ++i)
            convertOne(gFSRefArray[i], destination);
    }
    DisposePtr(reinterpret_cast<Ptr>(gFSRefArray));
    gFSRefArray = nullptr;
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DESTINATION ITEM...\n", argv[0]);
        return 2;
    }
    FSRef destination;
    Boolean isFolder = false;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(argv[1]), &destination, &isFolder) != noErr ||
        !isFolder) {
        std::fprintf(stderr, "%s: %s is not a folder\n", argv[0], argv[1]);
        return 1;
    }
    GetExportTypes();
    for (int i = 2; i < argc && !gStopping && !gQuitting; ++i) {
        FSRef item;
        if (FSPathMakeRef(reinterpret_cast<const UInt8*>(argv[i]), &item, nullptr) != noErr)
            break;
        if (CFile::IsADirectory(item)) {
            if (convertFolder(item, destination) != noErr)
                break;
        } else {
            convertOne(item, destination);
        }
    }
    return 0;
}
