// SPDX-License-Identifier: GPL-3.0-or-later
// XML property lists: the file format of the preference store. Reads and
// writes the text form that other property-list tools understand (a <plist>
// holding one <dict>), and decides which values can be kept in one so that
// they come back with the kind they went in with.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace tessaly::prefs
{

// How many arrays and dictionaries may nest inside one value. Deeper values
// are refused when stored and deeper files count as malformed, which keeps
// the recursive reader and writer far from the end of any thread's stack.
inline constexpr int kMaxNesting = 256;

// Whether text can be kept as a key or a string: XML 1.0 has no way to carry
// most control characters, unpaired surrogates, U+FFFE or U+FFFF.
bool isStorableText(const QString& text);

// value in the kind it will have after a round trip through a file (every
// integer type becomes qint64, float becomes double, dates become UTC,
// QStringList an array, QVariantHash a dictionary), or nothing when the value
// cannot be kept: an unsupported type, text that XML cannot carry, an
// unsigned number beyond qint64, a date outside the years 1-9999, an invalid
// element inside a container, or nesting deeper than kMaxNesting.
std::optional<QVariant> storableValue(const QVariant& value);

struct ParsedPropertyList {
    bool ok = false;
    QVariantMap values; // empty unless ok
    QString error;      // what was wrong and where, when not ok
};

// Reads a property list whose root object is a dictionary. Anything else -
// text that is not XML, another root, an unknown element, a number or date
// that does not parse, a truncated document - is reported as not ok.
ParsedPropertyList parsePropertyList(const QByteArray& xml);

// The XML text of values, which must all have come from storableValue.
QByteArray serializePropertyList(const QVariantMap& values);

} // namespace tessaly::prefs
