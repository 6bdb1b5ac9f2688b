// SPDX-License-Identifier: GPL-3.0-or-later
// The list of strings, its node pool, and the joining and splitting of a
// CString256 through such a list.
#include "util/CList.h"

#include "util/Pool.h"

elem<CString256>* elem<CString256>::lfree = nullptr;
int32_t elem<CString256>::nchunks = 0;

void* elem<CString256>::operator new(std::size_t) noexcept
{
    return pool::take(lfree, nchunks);
}

void elem<CString256>::operator delete(void* node, std::size_t) noexcept
{
    pool::give(lfree, node);
}

void CList<CString256>::clear()
{
    elem<CString256>* node = first;
    while (node) {
        elem<CString256>* following = node->next;
        delete node;
        node = following;
    }
    first = last = current = nullptr;
    count = 0;
}

void CList<CString256>::append(const CString256& value)
{
    auto* node = new elem<CString256>;
    if (!node)
        return;
    node->item = value;
    if (last)
        last->next = node;
    else
        first = node;
    last = node;
    ++count;
}

void CString256::flatten_list(char separator, CList<CString256>& list)
{
    text[0] = '\0';
    int32_t number = 0;
    list.current = list.first;
    while (list.current) {
        const elem<CString256>* node = list.current;
        list.current = node->next;
        ++number;
        *this += node->item;
        if (number != list.count)
            *this += separator;
    }
}

void CString256::parse_into_list(const char* delimiters, CList<CString256>& list) const
{
    // Both are taken before the list is cleared: this text, or the
    // delimiters, may live in one of the nodes about to be given back.
    const CString256 source(*this);
    bool isDelimiter[256] = {};
    for (const char* d = delimiters ? delimiters : ""; *d != '\0'; ++d)
        isDelimiter[static_cast<unsigned char>(*d)] = true;

    list.clear();
    const char* cursor = source.text;
    while (*cursor != '\0') {
        while (*cursor != '\0' && isDelimiter[static_cast<unsigned char>(*cursor)])
            ++cursor;
        const char* tokenStart = cursor;
        while (*cursor != '\0' && !isDelimiter[static_cast<unsigned char>(*cursor)])
            ++cursor;
        if (cursor == tokenStart)
            break;
        CString256 token;
        token.assign(tokenStart, size_t(cursor - tokenStart));
        list.append(token);
    }
}
