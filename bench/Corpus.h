// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmark's pictures: generated once into the work folder, photo-like
// (gradients, soft shapes and sensor noise), so that codecs meet the kind of
// content they meet in practice.
#pragma once

#include <QByteArray>

#include <vector>

struct Corpus {
    QByteArray smallPngs;   // 200 × 640×480 PNG
    QByteArray cameraJpegs; // 40 × 3000×2000 JPEG at Q 92
    QByteArray hugePng;     // one 12000×9000 PNG
    // Folders holding 20,000 files each, one for each timed run.
    std::vector<QByteArray> crowdedFolders;
};

// Makes what is missing of the corpus under folder; false on failure.
bool PrepareCorpus(const QByteArray& folder, Corpus* corpus);
// Makes what is missing of four 10328×7760 (80-megapixel) uncompressed TIFFs
// under folder, as a scanner or a raw developer leaves them, and gives their
// folder; only the parallel part of the benchmark converts them.
// The medium set alone (the corpus's camera JPEGs): 40 photos of 3000 x 2000,
// JPEG Q 92, in a folder under folder, named in photos.
bool PrepareCameraJpegs(const QByteArray& folder, QByteArray* photos);
bool PrepareLargeTiffs(const QByteArray& folder, QByteArray* tiffs);

// The regular files of a folder, sorted by name, as full paths.
std::vector<QByteArray> FilesIn(const QByteArray& folder);
// Total bytes of the non-empty regular files of a folder.
long long BytesIn(const QByteArray& folder);
// Pixels of the pictures in a folder (width × height summed).
long long PixelsIn(const QByteArray& folder);
// Removes the files of a folder that did not start with prefix.
void RemoveFilesExcept(const QByteArray& folder, const QByteArray& prefix);
void RemoveTree(const QByteArray& folder);
bool MakeFolders(const QByteArray& folder);
