// SPDX-License-Identifier: GPL-3.0-or-later
// Converting one picture file into the chosen export type, and the name
// operations the conversion and the batch run use.
#pragma once

#include "platform/files/Files.h"
#include "platform/graphics/Graphics.h"

#include <QString>

using CFStringRef = QString;

// The codec work of one file, decided and claimed beforehand: it names its
// source and its already claimed output and carries what the export is
// asked for (read from the settings when it was planned), and touches no
// interface and no shared state, so it can run on a worker thread.
struct ConversionJob {
    FSRef source;
    FSRef output; // claimed, empty until written
    ExportOptions options;
    UInt64 decodedBytes = 0; // the source picture's, from its header
};

// Converts source into destinationFolder when it is a picture an importer
// reads. The output keeps the source's name with the chosen extension, or a
// unique name when that is taken. Nothing is reported; the source is never
// changed, no existing file is overwritten, and a failed export leaves no
// output behind.
void ProcessFSRef(const FSRef& source, const FSRef& destinationFolder);
// The steps of ProcessFSRef: deciding and claiming the output (false when the
// file is not converted), then the codec work, which removes the claimed
// output again when it fails.
Boolean PrepareConversion(const FSRef& source, const FSRef& destinationFolder, ConversionJob& job);
// PrepareConversion in two: deciding the job and its output's name without
// touching the destination (false when the file is not converted), and
// claiming that name, or a unique one when it is taken.
Boolean PlanConversion(const FSRef& source, ConversionJob& job, CFStringRef& outputName);
Boolean ClaimConversionOutput(const FSRef& destinationFolder, const CFStringRef& outputName,
                              ConversionJob& job);
OSErr RunConversionJob(const ConversionJob& job);

// Whether a graphics importer reads the file.
Boolean FSIsGraphicsFile(const FSRef& ref);
Boolean FSpIsGraphicsFile(const FSSpec& spec);

// The file's stored name with its extension replaced by newExtension (or
// "." and newExtension appended when it has none); a null string when the
// name cannot be read or the result would pass 255 units.
CFStringRef FilesNameWithNewExtension(const FSRef& ref, const CFStringRef& newExtension);

// The item's name in Mac Roman, NUL-terminated, in a new block the caller
// releases with DisposePtr; null when the name cannot be read.
char* FSGetObjectName(const FSRef& ref);

// Converts count UTF-16 units to Mac Roman into a new NUL-terminated block
// (NewPtr) stored in *text; characters without a Mac Roman form come out as
// the converter makes them.
void SetASCII_C_CharsFromUnicodeText(char** text, const UniChar* units, UniCharCount count);
