// SPDX-License-Identifier: GPL-3.0-or-later
// The archived byte form of index sets.
#include "platform/prefpane/KeyedArchive.h"

#include <QDataStream>
#include <QIODevice>

namespace
{

constexpr char kMagic[] = "TKA";
constexpr quint8 kVersion = 1;
constexpr char kClassName[] = "NSIndexSet";
constexpr int kHeaderBytes = 3 + 1 + 1 + int(sizeof kClassName - 1) + 4;
constexpr int kRangeBytes = 16;

struct Range {
    quint64 location;
    quint64 length;
};

} // namespace

QByteArray NSKeyedArchiver::archivedDataWithRootObject(const NSIndexSet& indexes)
{
    std::vector<Range> ranges;
    for (NSUInteger index : indexes.indexes()) {
        if (!ranges.empty() && ranges.back().location + ranges.back().length == index)
            ++ranges.back().length;
        else
            ranges.push_back({index, 1});
    }
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    out.writeRawData(kMagic, 3);
    out << kVersion << quint8(sizeof kClassName - 1);
    out.writeRawData(kClassName, sizeof kClassName - 1);
    out << quint32(ranges.size());
    for (const Range& range : ranges)
        out << range.location << range.length;
    return data;
}

std::optional<NSIndexSet> NSKeyedUnarchiver::unarchiveIndexSet(const QByteArray& data)
{
    if (data.size() < kHeaderBytes)
        return std::nullopt;
    QDataStream in(data);
    in.setByteOrder(QDataStream::BigEndian);
    char magic[3];
    char className[sizeof kClassName - 1];
    quint8 version = 0, classNameLength = 0;
    quint32 rangeCount = 0;
    in.readRawData(magic, 3);
    in >> version >> classNameLength;
    if (QByteArrayView(magic, 3) != kMagic || version != kVersion ||
        classNameLength != sizeof kClassName - 1)
        return std::nullopt;
    in.readRawData(className, sizeof className);
    in >> rangeCount;
    if (QByteArrayView(className, sizeof className) != kClassName ||
        qint64(data.size() - kHeaderBytes) != qint64(rangeCount) * kRangeBytes)
        return std::nullopt;

    NSIndexSet indexes;
    NSUInteger total = 0;
    std::optional<quint64> previousEnd; // one past the previous range's last index
    for (quint32 i = 0; i < rangeCount; ++i) {
        Range range{};
        in >> range.location >> range.length;
        if (in.status() != QDataStream::Ok || range.length == 0 ||
            range.length > kMaxArchivedIndexes - total ||
            range.location > NSNotFound - range.length ||
            (previousEnd && range.location <= *previousEnd))
            return std::nullopt;
        total += range.length;
        for (quint64 k = 0; k < range.length; ++k)
            indexes.addIndex(range.location + k);
        previousEnd = range.location + range.length;
    }
    return indexes;
}
