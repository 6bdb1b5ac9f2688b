// SPDX-License-Identifier: GPL-3.0-or-later
// Finder-style helpers over platform/launch and the file manager.
#include "pane/ItemHelpers.h"

#include "platform/launch/Collation.h"
#include "platform/launch/LaunchServices.h"
#include "platform/launch/URLs.h"
#include "platform/text/TextEncoding.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <vector>

namespace
{

constexpr CFIndex kPathBufferBytes = 4096;
constexpr qsizetype kNameBufferUnits = 1024;

constexpr std::array kBundleExtensions = {u"app", u"bundle", u"framework", u"plugin", u"kext"};

// The item flags of ref; nothing when Launch Services cannot say.
std::optional<LSItemInfoFlags> itemFlags(const FSRef* ref)
{
    LSItemInfoRecord info;
    if (LSCopyItemInfoForRef(ref, kLSRequestBasicFlagsOnly, &info) != noErr)
        return std::nullopt;
    return info.flags;
}

// A reference to the item at path, converted through a buffer of
// kPathBufferBytes as the path tests do; nothing when there is no item.
std::optional<FSRef> refFromBufferedPath(const QString& path)
{
    char buffer[kPathBufferBytes];
    if (!CFStringGetFileSystemRepresentation(path, buffer, sizeof buffer))
        return std::nullopt;
    FSRef ref{};
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(buffer), &ref, nullptr) != noErr)
        return std::nullopt;
    return ref;
}

} // namespace

Boolean LooksLikeText(const QString&)
{
    return true;
}

OSStatus LaunchPath(const QString& path)
{
    const QUrl url = CFURLCreateWithFileSystemPath(path, false);
    if (!url.isEmpty())
        LSOpenCFURLRef(url, nullptr);
    return noErr;
}

std::optional<QString> DownloadURL(const QString& urlText)
{
    const auto url = URLWithString(urlText);
    if (!url)
        return std::nullopt;
    const auto data = URLResourceData(*url);
    if (!data)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(*data);
    // Mac OS Roman gives every byte a character, so this reading never fails.
    if (utf8.hasError())
        return MacRomanToUnicode(data->constData(), data->size());
    return text;
}

CFComparisonResult CompareLikeTheFinder(const void* value1, const void* value2, void*)
{
    const auto* first = static_cast<const QString*>(value1);
    const auto* second = static_cast<const QString*>(value2);
    if (!first || !second)
        return kCFCompareEqualTo;
    // Each name's characters in a buffer of its own, grown for longer names.
    std::vector<UniChar> buffer1(qMax(first->size(), kNameBufferUnits));
    std::vector<UniChar> buffer2(qMax(second->size(), kNameBufferUnits));
    std::copy(first->utf16(), first->utf16() + first->size(), buffer1.begin());
    std::copy(second->utf16(), second->utf16() + second->size(), buffer2.begin());
    SInt32 order = 0;
    if (UCCompareTextDefault(kFinderOrderOptions, buffer1.data(), UniCharCount(first->size()),
                             buffer2.data(), UniCharCount(second->size()), nullptr,
                             &order) != noErr)
        return kCFCompareEqualTo;
    return order < 0 ? kCFCompareLessThan : (order > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo);
}

void SortCFMutableArrayOfCFStringsLikeTheFinder(QStringList& array)
{
    std::stable_sort(array.begin(), array.end(), [](const QString& a, const QString& b) {
        return CompareLikeTheFinder(&a, &b, nullptr) == kCFCompareLessThan;
    });
}

Boolean ItemIsContainer(const FSRef* ref)
{
    const auto flags = itemFlags(ref);
    return flags && (*flags & kLSItemInfoIsContainer);
}

Boolean ItemIsPackage(const FSRef* ref)
{
    const auto flags = itemFlags(ref);
    return flags && (*flags & kLSItemInfoIsPackage);
}

Boolean ItemIsApplication(const FSRef* ref)
{
    const auto flags = itemFlags(ref);
    return flags && (*flags & kLSItemInfoIsApplication);
}

Boolean ItemIsABundleByLaunchServices(const FSRef* ref)
{
    const auto flags = itemFlags(ref);
    return flags && (*flags & (kLSItemInfoIsPackage | kLSItemInfoIsApplication));
}

Boolean ItemIsABundleByExtension(const FSRef* ref)
{
    const QUrl url = CFURLCreateFromFSRef(ref);
    if (url.isEmpty())
        return false;
    const QString extension = CFURLCopyPathExtension(url);
    if (extension.isEmpty())
        return false;
    for (const char16_t* bundle : kBundleExtensions) {
        if (extension.compare(QStringView(bundle), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Boolean ItemIsABundle(const FSRef* ref)
{
    const auto flags = itemFlags(ref);
    if (flags && (*flags & (kLSItemInfoIsPackage | kLSItemInfoIsApplication)))
        return true;
    return ItemIsABundleByExtension(ref);
}

Boolean ItemIsAFolder(const QString& path)
{
    const QByteArray bytes = NameToBytes(path);
    FSRef ref{};
    if (bytes.isEmpty() || bytes.contains('\0') ||
        FSPathMakeRef(reinterpret_cast<const UInt8*>(bytes.constData()), &ref, nullptr) != noErr)
        return false;
    const auto flags = itemFlags(&ref);
    return flags && (*flags & kLSItemInfoIsContainer) && !(*flags & kLSItemInfoIsPackage);
}

Boolean PathIsPlainFolder(const QString& path)
{
    const auto ref = refFromBufferedPath(path);
    return ref && ItemIsContainer(&*ref) && !ItemIsPackage(&*ref);
}

Boolean ItemAtPathIsInvisible(const QString& path)
{
    const auto ref = refFromBufferedPath(path);
    if (!ref)
        return false;
    QVariant value;
    if (LSCopyItemAttribute(&*ref, kLSRolesAll, kLSItemIsInvisible, &value) != noErr)
        return false;
    return value.typeId() == QMetaType::Bool && value.toBool();
}

void MoveArrayItem(QVariantList& array, SInt32 index, SInt32 offset)
{
    const qint64 destination = qint64(index) + offset;
    const qint64 count = array.size();
    if (destination == index || index < 0 || destination < 0 || index > count - 1 ||
        destination > count - 1)
        return;
    const QVariant taken = array.at(index);
    if (index < destination) {
        for (qint64 position = index + 1; position <= destination; ++position)
            array[position - 1] = array.at(position);
    } else {
        for (qint64 position = index - 1; position >= destination; --position)
            array[position + 1] = array.at(position);
    }
    array[destination] = taken;
}
