// SPDX-License-Identifier: GPL-3.0-or-later
// Building atom containers: the in-memory tree that the export type list
// is handed out in. Reading is the QT... calls of Graphics.h.
#pragma once
#ifndef TESSALY_PLATFORM_PRIVATE
#error                                                                                             \
    "This header is private to platform/; outside it use Graphics.h, PictureFiles.h or SaverTable.h"
#endif

#include "platform/graphics/Graphics.h"

#include <QByteArray>

namespace platform::graphics
{

// A new, empty container; QTDisposeAtomContainer releases it.
QTAtomContainer NewAtomContainer();
// Adds a child atom of type and id under parent (kParentAtomIsContainer for
// the top level) holding data; the new atom, or 0 when parent is not in it.
QTAtom InsertChild(QTAtomContainer container, QTAtom parent, QTAtomType type, QTAtomID id,
                   const QByteArray& data = {});

} // namespace platform::graphics
