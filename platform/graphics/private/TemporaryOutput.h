// SPDX-License-Identifier: GPL-3.0-or-later
// The file an export writes before it becomes the output: a new, uniquely
// named file beside the output (same folder, so the final rename stays on
// one file system), renamed over the output only once the picture is
// complete and on disk. Until then the output file keeps what it had, and a
// failed export removes the temporary file, so a destination never shows a
// partial picture.
//
// A process killed in the middle of an export cannot remove its temporary
// file, so the name carries the owner's process id (".tessaly-<pid>-XXXXXX"),
// and the first temporary file this process makes in a folder removes those
// of owners that are gone.
#pragma once
#ifndef TESSALY_PLATFORM_PRIVATE
#error                                                                                             \
    "This header is private to platform/; outside it use Graphics.h, PictureFiles.h or SaverTable.h"
#endif

#include "platform/MacTypes.h"

#include <QByteArray>

#include <vips/vips8>

namespace platform::graphics
{

class TemporaryOutput
{
public:
    explicit TemporaryOutput(const QByteArray& outputPath);
    // Removes the temporary file unless Commit succeeded.
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // Creates the temporary file (a short name, so it fits wherever the
    // output's name does), first clearing what dead exporters left in the
    // folder when this process has not been there yet.
    OSErr Create();
    // A libvips target writing into the temporary file.
    vips::VTarget& Target() { return m_target; }
    // The status of the first failed write (a full disk, say), or noErr.
    OSErr WriteStatus() const;
    // Flushes the picture to disk and renames it over the output file;
    // size receives the number of bytes written.
    OSErr Commit(UInt64* size);

private:
    static gint64 OnWrite(VipsTargetCustom*, const void* data, gint64 length, void* self);
    static gint64 OnRead(VipsTargetCustom*, void* buffer, gint64 length, void* self);
    static gint64 OnSeek(VipsTargetCustom*, gint64 offset, int whence, void* self);
    static int OnEnd(VipsTargetCustom*, void* self);
    void Discard();

    // The output's folder, as given and as an open descriptor (O_PATH), and
    // the names in it: every call on the files works relative to m_folder.
    QByteArray m_folderPath;
    QByteArray m_outputName;
    QByteArray m_temporaryName;
    int m_folder = -1;
    int m_fd = -1;
    int m_writeError = 0;
    bool m_committed = false;
    vips::VTarget m_target{nullptr};
};

} // namespace platform::graphics
