// SPDX-License-Identifier: GPL-3.0-or-later
// Finder-style helpers that travel with the pane: ordering names as the
// Finder does, telling what kind of item a path or reference names, opening
// an item with its application, downloading a URL's text, and moving one
// element of an array.
//
// Item kinds come from platform/launch (see LaunchServices.h for what counts
// as a container, package, application and invisible item on Linux).
#pragma once

#include "platform/files/Files.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

using CFComparisonResult = long;
inline constexpr CFComparisonResult kCFCompareLessThan = -1;
inline constexpr CFComparisonResult kCFCompareEqualTo = 0;
inline constexpr CFComparisonResult kCFCompareGreaterThan = 1;

// The collation options of the Finder's order: composed forms and widths
// equal, case ignored, punctuation significant, digits by numeric value;
// diacritics stay significant.
inline constexpr UInt32 kFinderOrderOptions = 0x3800E;

Boolean LooksLikeText(const QString& text);
// Opens the item at path with its default application; 0 in every case.
OSStatus LaunchPath(const QString& path);
// The text at the URL (UTF-8, or else Mac OS Roman), fetched synchronously
// without a cache; nothing when the text is not a URL or nothing arrives.
std::optional<QString> DownloadURL(const QString& urlText);

// Sorts the strings in place in the Finder's order.
void SortCFMutableArrayOfCFStringsLikeTheFinder(QStringList& array);
// Compares two QString objects (given by pointer, as an array comparator
// receives its elements) in the Finder's order. Names longer than the
// 1024-unit buffers are compared whole. Equal when the collation fails.
CFComparisonResult CompareLikeTheFinder(const void* value1, const void* value2, void* context);

Boolean ItemIsAFolder(const QString& path);
Boolean PathIsPlainFolder(const QString& path);
Boolean ItemAtPathIsInvisible(const QString& path);
Boolean ItemIsContainer(const FSRef* ref);
Boolean ItemIsPackage(const FSRef* ref);
Boolean ItemIsApplication(const FSRef* ref);
Boolean ItemIsABundleByLaunchServices(const FSRef* ref);
Boolean ItemIsABundleByExtension(const FSRef* ref);
Boolean ItemIsABundle(const FSRef* ref);

// Moves the element at index by offset places, shifting those in between;
// a move that would leave the array does nothing.
void MoveArrayItem(QVariantList& array, SInt32 index, SInt32 offset);
