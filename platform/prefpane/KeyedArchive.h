// SPDX-License-Identifier: GPL-3.0-or-later
// Index sets and their archived form: the bytes a row drag carries on the
// pasteboard. The archive is this program's own keyed-archive stand-in, a
// versioned byte layout (big-endian):
//
//   "TKA" version(1 byte, 1)  class name length(1 byte) "NSIndexSet"
//   range count(4 bytes)  then per range: location(8 bytes) length(8 bytes)
//
// Ranges are ascending, non-empty and apart from each other. Anything else -
// another magic, version or class, a count that does not match the length,
// ranges out of order, more than kMaxArchivedIndexes indexes - does not
// decode: data from another program is never trusted.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <initializer_list>
#include <limits>
#include <optional>
#include <set>
#include <vector>

using NSUInteger = quint64;
inline constexpr NSUInteger NSNotFound = std::numeric_limits<NSUInteger>::max();

class NSIndexSet
{
public:
    NSIndexSet() = default;
    NSIndexSet(std::initializer_list<NSUInteger> indexes) : m_indexes(indexes) {}

    void addIndex(NSUInteger index) { m_indexes.insert(index); }
    void removeIndex(NSUInteger index) { m_indexes.erase(index); }
    bool containsIndex(NSUInteger index) const { return m_indexes.count(index) != 0; }
    NSUInteger count() const { return m_indexes.size(); }
    // The smallest index, NSNotFound when empty.
    NSUInteger firstIndex() const { return m_indexes.empty() ? NSNotFound : *m_indexes.begin(); }
    NSUInteger lastIndex() const { return m_indexes.empty() ? NSNotFound : *m_indexes.rbegin(); }
    std::vector<NSUInteger> indexes() const { return {m_indexes.begin(), m_indexes.end()}; }
    bool operator==(const NSIndexSet&) const = default;

private:
    std::set<NSUInteger> m_indexes;
};

inline constexpr NSUInteger kMaxArchivedIndexes = 1u << 20;

namespace NSKeyedArchiver
{
QByteArray archivedDataWithRootObject(const NSIndexSet& indexes);
}
namespace NSKeyedUnarchiver
{
// The index set archived in data; nothing when data is not such an archive.
std::optional<NSIndexSet> unarchiveIndexSet(const QByteArray& data);
}
