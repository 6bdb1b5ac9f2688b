// SPDX-License-Identifier: GPL-3.0-or-later
// Pointer and handle blocks over malloc. A pointer block carries its size in
// a header in front of the bytes handed out; a handle is a small master
// record whose first member is the block pointer.
#include "platform/memory/Memory.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace
{

thread_local OSErr tMemError = noErr;

struct alignas(std::max_align_t) PtrHeader {
    Size size;
};

struct HandleRecord {
    char* block; // must stay the first member: a Handle points at it
    Size size;
};

Ptr allocate(Size byteCount, bool clear)
{
    if (byteCount < 0) {
        tMemError = paramErr;
        return nullptr;
    }
    void* raw = clear ? std::calloc(1, sizeof(PtrHeader) + size_t(byteCount))
                      : std::malloc(sizeof(PtrHeader) + size_t(byteCount));
    if (!raw) {
        tMemError = memFullErr;
        return nullptr;
    }
    auto* header = static_cast<PtrHeader*>(raw);
    header->size = byteCount;
    tMemError = noErr;
    return reinterpret_cast<Ptr>(header + 1);
}

HandleRecord* recordOf(Handle h)
{
    return reinterpret_cast<HandleRecord*>(h);
}

} // namespace

Ptr NewPtr(Size byteCount)
{
    return allocate(byteCount, false);
}
Ptr NewPtrClear(Size byteCount)
{
    return allocate(byteCount, true);
}

void DisposePtr(Ptr p)
{
    if (p)
        std::free(reinterpret_cast<PtrHeader*>(p) - 1);
    tMemError = noErr;
}

Size GetPtrSize(Ptr p)
{
    return p ? (reinterpret_cast<PtrHeader*>(p) - 1)->size : 0;
}

static Handle newHandle(Size byteCount, bool clear)
{
    if (byteCount < 0) {
        tMemError = paramErr;
        return nullptr;
    }
    auto* record = new (std::nothrow) HandleRecord{nullptr, byteCount};
    if (!record) {
        tMemError = memFullErr;
        return nullptr;
    }
    record->block = static_cast<char*>(clear ? std::calloc(1, size_t(byteCount) + 1)
                                             : std::malloc(size_t(byteCount) + 1));
    if (!record->block) {
        delete record;
        tMemError = memFullErr;
        return nullptr;
    }
    tMemError = noErr;
    return &record->block;
}

Handle NewHandle(Size byteCount)
{
    return newHandle(byteCount, false);
}
Handle NewHandleClear(Size byteCount)
{
    return newHandle(byteCount, true);
}

void DisposeHandle(Handle h)
{
    if (!h)
        return;
    HandleRecord* record = recordOf(h);
    std::free(record->block);
    delete record;
    tMemError = noErr;
}

Size GetHandleSize(Handle h)
{
    return h ? recordOf(h)->size : 0;
}

bool SetHandleSize(Handle h, Size newSize)
{
    if (!h || newSize < 0) {
        tMemError = h ? paramErr : nilHandleErr;
        return false;
    }
    HandleRecord* record = recordOf(h);
    auto* grown = static_cast<char*>(std::realloc(record->block, size_t(newSize) + 1));
    if (!grown) {
        tMemError = memFullErr;
        return false;
    }
    if (newSize > record->size)
        std::memset(grown + record->size, 0, size_t(newSize - record->size));
    record->block = grown;
    record->size = newSize;
    tMemError = noErr;
    return true;
}

OSErr MemError()
{
    return tMemError;
}
