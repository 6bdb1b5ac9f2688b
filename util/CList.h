// SPDX-License-Identifier: GPL-3.0-or-later
// A singly linked list of CString256 values. Nodes come from a pool of their
// own and go back to it when the list is cleared or destroyed. The list's
// cursor `current` is shared by every walk of the list (joining, wildcard
// matching), so only one walk may be under way at a time.
//
// Only lists of strings exist in this program, so only that case is defined.
#pragma once

#include "util/CString256.h"

#include <cstddef>
#include <cstdint>

template <class T> struct elem;

template <> struct elem<CString256> {
    CString256 item;
    elem* next = nullptr;
    elem* next_free = nullptr;

    static elem* lfree;
    static int32_t nchunks;

    static void* operator new(std::size_t size) noexcept;
    static void operator delete(void* node, std::size_t size) noexcept;
};

template <> class CList<CString256>
{
public:
    CList() = default;
    ~CList() { clear(); }
    // The list owns its nodes; a copy would give them back twice.
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;

    void clear();
    // Appends a copy of value; leaves the list as it was when no node can be
    // obtained.
    void append(const CString256& value);

    elem<CString256>* first = nullptr;
    elem<CString256>* last = nullptr;
    elem<CString256>* current = nullptr;
    int32_t count = 0;
};
