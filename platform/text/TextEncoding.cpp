// SPDX-License-Identifier: GPL-3.0-or-later
// Mac OS Roman tables, length-prefixed strings, UUID text, path extensions and
// the byte-preserving mapping of Linux file names to UTF-16.
#include "platform/text/TextEncoding.h"

#include <QHash>
#include <QUuid>

#include <algorithm>
#include <cstring>

namespace
{

// Unicode for the bytes 0x80 to 0xFF of Mac OS Roman (with the euro sign at 0xDB).
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8, // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, // A8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, // B0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, // B8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, // D0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, // E8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7, // F8
};

const QHash<char16_t, char>& reverseTable()
{
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        for (int i = 0; i < 128; ++i)
            t.insert(kMacRomanHigh[i], char(0x80 + i));
        // The old currency sign shared its place with the euro sign.
        t.insert(u'\u00A4', char(0xDB));
        // Greek capital delta and micro's Greek twin look the same to users.
        t.insert(u'\u0394', char(0xC6));
        t.insert(u'\u03BC', char(0xB5));
        return t;
    }();
    return table;
}

// One Mac Roman byte for a UTF-16 unit, or 0 when it has none.
char macRomanByte(char16_t unit)
{
    if (unit < 0x80)
        return char(unit);
    auto it = reverseTable().constFind(unit);
    return it == reverseTable().cend() ? 0 : *it;
}

struct Converter {
    TextEncoding from;
    TextEncoding to;
};

} // namespace

QByteArray UnicodeToMacRoman(QStringView text, bool* complete)
{
    // Names arrive decomposed from some file systems; Mac Roman holds the
    // precomposed letters.
    const QString composed = text.toString().normalized(QString::NormalizationForm_C);
    QByteArray out;
    out.reserve(composed.size());
    bool all = true;
    for (qsizetype i = 0; i < composed.size(); ++i) {
        const char16_t unit = composed.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < composed.size() &&
            QChar::isLowSurrogate(composed.at(i + 1).unicode()))
            ++i; // one character outside the basic plane: one substitute
        const char byte = unit == 0 ? 0 : macRomanByte(unit);
        if (byte == 0 && unit != 0) {
            all = false;
            out.append('?');
        } else {
            out.append(byte);
        }
    }
    if (complete)
        *complete = all;
    return out;
}

QString MacRomanToUnicode(const char* bytes, qsizetype length)
{
    QString out;
    out.reserve(length);
    for (qsizetype i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out.append(byte < 0x80 ? QChar(byte) : QChar(kMacRomanHigh[byte - 0x80]));
    }
    return out;
}

bool CFStringGetCString(const QString& string, char* buffer, CFIndex bufferSize,
                        CFStringEncoding encoding)
{
    if (!buffer || bufferSize <= 0)
        return false;
    buffer[0] = 0;
    QByteArray converted;
    if (encoding == kCFStringEncodingMacRoman) {
        bool complete = false;
        converted = UnicodeToMacRoman(string, &complete);
        if (!complete)
            return false;
    } else if (encoding == kCFStringEncodingUTF8) {
        converted = string.toUtf8();
    } else {
        return false;
    }
    if (converted.size() + 1 > bufferSize)
        return false;
    std::memcpy(buffer, converted.constData(), size_t(converted.size()) + 1);
    return true;
}

QString CFStringCreateWithCString(const char* cString, CFStringEncoding encoding)
{
    if (!cString)
        return {};
    if (encoding == kCFStringEncodingUTF8)
        return QString::fromUtf8(cString);
    return MacRomanToUnicode(cString, qsizetype(std::strlen(cString)));
}

OSStatus TECCreateConverter(TECObjectRef* converter, TextEncoding from, TextEncoding to)
{
    if (!converter)
        return paramErr;
    *converter = nullptr;
    if (from != kTextEncodingUnicodeDefault || to != kTextEncodingMacRoman)
        return paramErr;
    *converter = reinterpret_cast<TECObjectRef>(new Converter{from, to});
    return noErr;
}

OSStatus TECConvertText(TECObjectRef converter, const UInt8* input, ByteCount inputLength,
                        ByteCount* actualInputLength, UInt8* output, ByteCount outputLength,
                        ByteCount* actualOutputLength)
{
    if (actualInputLength)
        *actualInputLength = 0;
    if (actualOutputLength)
        *actualOutputLength = 0;
    if (!converter || (!input && inputLength) || (!output && outputLength))
        return paramErr;
    const qsizetype units = qsizetype(inputLength / 2);
    QString text(units, Qt::Uninitialized);
    if (units)
        std::memcpy(text.data(), input, size_t(units) * 2);
    bool complete = true;
    const QByteArray converted = UnicodeToMacRoman(text, &complete);
    const ByteCount written = std::min<ByteCount>(ByteCount(converted.size()), outputLength);
    if (written)
        std::memcpy(output, converted.constData(), written);
    if (actualOutputLength)
        *actualOutputLength = written;
    if (actualInputLength)
        *actualInputLength = written == ByteCount(converted.size()) ? ByteCount(units) * 2 : 0;
    if (written < ByteCount(converted.size()))
        return kTECOutputBufferFullStatus;
    return complete ? noErr : kTECUnmappableElementErr;
}

OSStatus TECDisposeConverter(TECObjectRef converter)
{
    delete reinterpret_cast<Converter*>(converter);
    return noErr;
}

void CopyPascalStringToC(const unsigned char* pascal, char* cString)
{
    if (!cString)
        return;
    if (!pascal) {
        cString[0] = 0;
        return;
    }
    const size_t length = pascal[0];
    std::memmove(cString, pascal + 1, length);
    cString[length] = 0;
}

void CopyCStringToPascal(const char* cString, unsigned char* pascal)
{
    if (!pascal)
        return;
    const size_t length = cString ? std::min<size_t>(std::strlen(cString), 255) : 0;
    std::memmove(pascal + 1, cString, length);
    pascal[0] = static_cast<unsigned char>(length);
}

QString CFUUIDCreateString()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString PathExtensionOfName(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot + 1 >= name.size())
        return {};
    return name.mid(dot + 1).toString();
}

QString NameFromBytes(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b0 = p[i];
        if (b0 < 0x80) {
            out.append(QChar(b0));
            ++i;
            continue;
        }
        int length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2, cp = b0 & 0x1F, minimum = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3, cp = b0 & 0x0F, minimum = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4, cp = b0 & 0x07, minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        valid = valid && cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid) {
            out.append(QChar(char16_t(0xDC00 + b0)));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        i += length;
    }
    return out;
}

QByteArray NameToBytes(QStringView name)
{
    QByteArray out;
    out.reserve(name.size());
    auto appendUtf8 = [&out](char32_t cp) {
        if (cp < 0x80) {
            out.append(char(cp));
        } else if (cp < 0x800) {
            out.append(char(0xC0 | (cp >> 6)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.append(char(0xE0 | (cp >> 12)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else {
            out.append(char(0xF0 | (cp >> 18)));
            out.append(char(0x80 | ((cp >> 12) & 0x3F)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        }
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() &&
            QChar::isLowSurrogate(name[i + 1].unicode())) {
            appendUtf8(QChar::surrogateToUcs4(unit, name[i + 1].unicode()));
            ++i;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            out.append(char(unit - 0xDC00)); // a byte that was not UTF-8
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(0xFFFD);
        } else {
            appendUtf8(unit);
        }
    }
    return out;
}

bool CFStringGetFileSystemRepresentation(const QString& string, char* buffer, CFIndex maxBufLen)
{
    if (!buffer || maxBufLen <= 0)
        return false;
    buffer[0] = '\0';
    const QByteArray bytes = NameToBytes(string);
    if (bytes.contains('\0') || bytes.size() >= maxBufLen)
        return false;
    std::memcpy(buffer, bytes.constData(), size_t(bytes.size()) + 1);
    return true;
}

QString CFStringCreateWithFileSystemRepresentation(const char* buffer)
{
    return buffer ? NameFromBytes(QByteArray(buffer)) : QString();
}
