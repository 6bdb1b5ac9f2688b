// SPDX-License-Identifier: GPL-3.0-or-later
// Atom containers: a flat list of atoms, each knowing its parent. An atom
// is its position in the list counted from 1, so 0 stays free for the
// container itself.
#include "AtomContainer.h"

#include <algorithm>
#include <cstring>
#include <vector>

struct OpaqueQTAtomContainer {
    struct Atom {
        QTAtom parent;
        QTAtomType type;
        QTAtomID id;
        QByteArray data;
    };
    std::vector<Atom> atoms;

    bool Holds(QTAtom atom) const { return atom >= 1 && size_t(atom) <= atoms.size(); }
    bool HoldsParent(QTAtom atom) const { return atom == kParentAtomIsContainer || Holds(atom); }
};

namespace platform::graphics
{

QTAtomContainer NewAtomContainer()
{
    return new OpaqueQTAtomContainer;
}

QTAtom InsertChild(QTAtomContainer container, QTAtom parent, QTAtomType type, QTAtomID id,
                   const QByteArray& data)
{
    if (!container || !container->HoldsParent(parent))
        return 0;
    container->atoms.push_back({parent, type, id, data});
    return QTAtom(container->atoms.size());
}

} // namespace platform::graphics

short QTCountChildrenOfType(QTAtomContainer container, QTAtom parentAtom, QTAtomType childType)
{
    if (!container || !container->HoldsParent(parentAtom))
        return 0;
    short count = 0;
    for (const auto& atom : container->atoms) {
        if (atom.parent == parentAtom && atom.type == childType)
            ++count;
    }
    return count;
}

QTAtom QTFindChildByIndex(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                          short index, QTAtomID* id)
{
    if (!container || !container->HoldsParent(parentAtom) || index < 1)
        return 0;
    short seen = 0;
    for (size_t i = 0; i < container->atoms.size(); ++i) {
        const auto& atom = container->atoms[i];
        if (atom.parent == parentAtom && atom.type == atomType && ++seen == index) {
            if (id)
                *id = atom.id;
            return QTAtom(i + 1);
        }
    }
    return 0;
}

OSErr QTCopyAtomDataToPtr(QTAtomContainer container, QTAtom atom, Boolean sizeOrLessOK,
                          long maxSize, void* dataPtr, long* actualSize)
{
    if (!container || !container->Holds(atom) || maxSize < 0 || (maxSize > 0 && !dataPtr))
        return paramErr;
    const QByteArray& data = container->atoms[size_t(atom) - 1].data;
    // Shorter data is an error unless the caller said it may be; longer data
    // is cut at maxSize.
    if (data.size() < maxSize && !sizeOrLessOK)
        return paramErr;
    const long copied = std::min<long>(maxSize, long(data.size()));
    if (copied > 0)
        std::memcpy(dataPtr, data.constData(), size_t(copied));
    if (actualSize)
        *actualSize = copied;
    return noErr;
}

OSErr QTDisposeAtomContainer(QTAtomContainer atomData)
{
    if (!atomData)
        return paramErr;
    delete atomData;
    return noErr;
}
