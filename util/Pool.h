// SPDX-License-Identifier: GPL-3.0-or-later
// The free-list pool behind the class-specific operator new of CString256
// and of list nodes. Objects come from chunks of 256 taken in one array
// allocation and never returned; a chunk's first object is handed out at
// once and the rest from the highest index down. An object given back goes
// to the front of the free list, so it is the next one handed out.
//
// A pooled type T has a member `T* next_free`, the only part of a free
// object that the pool touches. Under AddressSanitizer every other byte of a
// free object is poisoned, so using a string after deleting it is reported,
// and giving the same object back twice stops the program instead of
// silently handing it out twice later.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <cstdio>
#include <cstdlib>
#include <sanitizer/asan_interface.h>
#endif

namespace pool
{

inline constexpr int kChunkObjects = 256;

#if defined(__SANITIZE_ADDRESS__)
template <class T> void poisonFree(T* object)
{
    auto* start = reinterpret_cast<char*>(object);
    auto* link = reinterpret_cast<char*>(&object->next_free);
    ASAN_POISON_MEMORY_REGION(start, size_t(link - start));
    ASAN_POISON_MEMORY_REGION(link + sizeof(T*), sizeof(T) - size_t(link - start) - sizeof(T*));
}
template <class T> void unpoison(T* object)
{
    ASAN_UNPOISON_MEMORY_REGION(object, sizeof(T));
}
template <class T> void checkNotFree(T* object)
{
    if (__asan_address_is_poisoned(object)) {
        std::fprintf(stderr, "pool: object %p given back twice\n", static_cast<void*>(object));
        std::abort();
    }
}
#else
template <class T> void poisonFree(T*) {}
template <class T> void unpoison(T*) {}
template <class T> void checkNotFree(T*) {}
#endif

template <class T> void give(T*& freeList, void* storage) noexcept
{
    if (!storage)
        return;
    auto* object = static_cast<T*>(storage);
    checkNotFree(object);
    object->next_free = freeList;
    freeList = object;
    poisonFree(object);
}

// Storage for one T, or null when a new chunk is needed and cannot be had.
// chunkCount counts the chunks obtained, for the pool's own tests.
template <class T> void* take(T*& freeList, int32_t& chunkCount) noexcept
{
    if (freeList) {
        T* object = freeList;
        freeList = object->next_free;
        unpoison(object);
        return object;
    }
    auto* chunk = static_cast<T*>(::operator new[](sizeof(T) * kChunkObjects, std::nothrow));
    if (!chunk)
        return nullptr;
    ++chunkCount;
    for (int i = 1; i < kChunkObjects; ++i)
        give(freeList, chunk + i);
    return chunk;
}

} // namespace pool
