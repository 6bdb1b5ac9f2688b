// SPDX-License-Identifier: GPL-3.0-or-later
// Property-list XML over QXmlStreamReader and QXmlStreamWriter. The reader is
// strict: a file it does not fully understand is reported as malformed rather
// than half read, so the store can keep it aside instead of writing a partial
// copy of it back.
#include "platform/prefs/PropertyList.h"

#include <QDateTime>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <limits>

namespace tessaly::prefs
{

namespace
{

bool isIntegerType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isUnsignedType(int typeId)
{
    return typeId == QMetaType::UInt || typeId == QMetaType::ULongLong ||
           typeId == QMetaType::ULong || typeId == QMetaType::UShort || typeId == QMetaType::UChar;
}

// A date as property lists keep it: UTC, whole seconds. Other readers
// (Python's plistlib among them) refuse a fraction of a second and with it
// the whole file, so a fraction is dropped (rounded down) wherever a date
// enters: stored, read or written.
QDateTime wholeSeconds(const QDateTime& date)
{
    const qint64 ms = date.toMSecsSinceEpoch();
    return QDateTime::fromSecsSinceEpoch(ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000), Qt::UTC);
}

// The date range that a four-digit ISO 8601 year can write and read back.
bool isStorableDate(const QDateTime& date)
{
    if (!date.isValid())
        return false;
    const int year = date.toUTC().date().year();
    return year >= 1 && year <= 9999;
}

std::optional<QVariant> canonical(const QVariant& value, int level)
{
    const int typeId = value.metaType().id();
    if (typeId == QMetaType::Bool)
        return value;
    if (isIntegerType(typeId)) {
        if (isUnsignedType(typeId)) {
            const qulonglong n = value.toULongLong();
            if (n > qulonglong(std::numeric_limits<qint64>::max()))
                return std::nullopt;
            return QVariant(qint64(n));
        }
        return QVariant(value.toLongLong());
    }
    if (typeId == QMetaType::Double || typeId == QMetaType::Float)
        return QVariant(value.toDouble());
    if (typeId == QMetaType::QString) {
        if (!isStorableText(value.toString()))
            return std::nullopt;
        return value;
    }
    if (typeId == QMetaType::QByteArray)
        return value;
    if (typeId == QMetaType::QDateTime) {
        const QDateTime date = value.toDateTime();
        if (!isStorableDate(date))
            return std::nullopt;
        return QVariant(wholeSeconds(date));
    }
    if (typeId == QMetaType::QStringList || typeId == QMetaType::QVariantList) {
        if (level > kMaxNesting)
            return std::nullopt;
        QVariantList list;
        for (const QVariant& item : value.toList()) {
            auto stored = canonical(item, level + 1);
            if (!stored)
                return std::nullopt;
            list.append(*stored);
        }
        return QVariant(list);
    }
    if (typeId == QMetaType::QVariantMap || typeId == QMetaType::QVariantHash) {
        if (level > kMaxNesting)
            return std::nullopt;
        QVariantMap map;
        const QVariantMap source = value.toMap();
        for (auto it = source.cbegin(); it != source.cend(); ++it) {
            auto stored = canonical(it.value(), level + 1);
            if (!stored || !isStorableText(it.key()))
                return std::nullopt;
            map.insert(it.key(), *stored);
        }
        return QVariant(map);
    }
    return std::nullopt;
}

// ---- reading

class Parser
{
public:
    explicit Parser(const QByteArray& xml) : m_reader(xml) {}

    ParsedPropertyList parse()
    {
        ParsedPropertyList result;
        auto values = parseDocument();
        if (values && !m_reader.hasError()) {
            result.ok = true;
            result.values = std::move(*values);
        } else {
            result.error = QStringLiteral("line %1: %2")
                               .arg(m_reader.lineNumber())
                               .arg(m_reader.errorString());
        }
        return result;
    }

private:
    enum class Step { Child, End, Failed };

    // Moves to the next child element of the current one, skipping comments
    // and whitespace; stray text between elements is an error.
    Step nextChild()
    {
        for (;;) {
            switch (m_reader.readNext()) {
            case QXmlStreamReader::StartElement:
                return Step::Child;
            case QXmlStreamReader::EndElement:
            case QXmlStreamReader::EndDocument:
                return Step::End;
            case QXmlStreamReader::Invalid:
                return Step::Failed;
            case QXmlStreamReader::Characters:
                if (!m_reader.isWhitespace()) {
                    m_reader.raiseError(QStringLiteral("text outside an element"));
                    return Step::Failed;
                }
                break;
            case QXmlStreamReader::EntityReference:
                m_reader.raiseError(QStringLiteral("unresolved entity"));
                return Step::Failed;
            default: // the XML declaration, DOCTYPE, comments, processing instructions
                break;
            }
        }
    }

    std::nullopt_t fail(const QString& why)
    {
        if (!m_reader.hasError())
            m_reader.raiseError(why);
        return std::nullopt;
    }

    std::optional<QVariantMap> parseDocument()
    {
        if (nextChild() != Step::Child || m_reader.name() != u"plist")
            return fail(QStringLiteral("the root element is not <plist>"));
        if (nextChild() != Step::Child || m_reader.name() != u"dict")
            return fail(QStringLiteral("the property list does not hold a dictionary"));
        auto values = parseDict(0);
        if (!values)
            return std::nullopt;
        if (nextChild() != Step::End)
            return fail(QStringLiteral("more than one object in the property list"));
        if (nextChild() != Step::End) // the end of the document
            return fail(QStringLiteral("content after the property list"));
        return values;
    }

    // The text of an element that may hold nothing but text. Unlike
    // readElementText this fails on an entity that could not be resolved
    // (possible when a DOCTYPE names an external DTD) instead of dropping it.
    std::optional<QString> elementText()
    {
        QString text;
        for (;;) {
            switch (m_reader.readNext()) {
            case QXmlStreamReader::Characters:
                text += m_reader.text();
                break;
            case QXmlStreamReader::EndElement:
                // A document in another encoding (UTF-7 says so in its
                // declaration) can decode into lone surrogates or control
                // characters that no writer could put back.
                if (!isStorableText(text))
                    return fail(QStringLiteral("text that a property list cannot hold"));
                return text;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                break;
            case QXmlStreamReader::Invalid:
                return std::nullopt;
            case QXmlStreamReader::EntityReference:
                return fail(QStringLiteral("unresolved entity &%1;").arg(m_reader.name()));
            default:
                return fail(QStringLiteral("<%1> inside a text element").arg(m_reader.name()));
            }
        }
    }

    std::optional<QVariantMap> parseDict(int level)
    {
        QVariantMap map;
        for (;;) {
            const Step step = nextChild();
            if (step == Step::Failed)
                return std::nullopt;
            if (step == Step::End)
                return map;
            if (m_reader.name() != u"key")
                return fail(QStringLiteral("<%1> where a <key> belongs").arg(m_reader.name()));
            auto key = elementText();
            if (!key)
                return std::nullopt;
            if (nextChild() != Step::Child)
                return fail(QStringLiteral("a key without a value"));
            auto value = parseValue(level + 1);
            if (!value)
                return std::nullopt;
            map.insert(*key, *value);
        }
    }

    std::optional<QVariantList> parseArray(int level)
    {
        QVariantList list;
        for (;;) {
            const Step step = nextChild();
            if (step == Step::Failed)
                return std::nullopt;
            if (step == Step::End)
                return list;
            auto value = parseValue(level + 1);
            if (!value)
                return std::nullopt;
            list.append(*value);
        }
    }

    std::optional<QVariant> parseValue(int level)
    {
        const QString name = m_reader.name().toString();
        if (name == u"dict" || name == u"array") {
            if (level > kMaxNesting)
                return fail(QStringLiteral("nested too deeply"));
            if (name == u"dict") {
                auto map = parseDict(level);
                return map ? std::optional<QVariant>(*map) : std::nullopt;
            }
            auto list = parseArray(level);
            return list ? std::optional<QVariant>(*list) : std::nullopt;
        }
        auto text = elementText();
        if (!text)
            return std::nullopt;
        if (name == u"string")
            return QVariant(*text);
        if (name == u"true" || name == u"false") {
            if (!text->trimmed().isEmpty())
                return fail(QStringLiteral("text inside <%1/>").arg(name));
            return QVariant(name == u"true");
        }
        if (name == u"integer")
            return parseInteger(text->trimmed());
        if (name == u"real")
            return parseReal(text->trimmed());
        if (name == u"data")
            return parseData(*text);
        if (name == u"date")
            return parseDate(text->trimmed());
        return fail(QStringLiteral("unknown element <%1>").arg(name));
    }

    std::optional<QVariant> parseInteger(const QString& text)
    {
        // Decimal, or hexadecimal with 0x as some writers produce; never octal.
        QStringView digits = text;
        bool negative = false;
        if (digits.startsWith(u'-') || digits.startsWith(u'+')) {
            negative = digits.front() == u'-';
            digits = digits.sliced(1);
        }
        int base = 10;
        if (digits.startsWith(u"0x", Qt::CaseInsensitive)) {
            base = 16;
            digits = digits.sliced(2);
        }
        bool ok = !digits.isEmpty() && digits.front().isLetterOrNumber();
        const qulonglong magnitude = ok ? digits.toULongLong(&ok, base) : 0;
        const qulonglong limit =
            qulonglong(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
        if (!ok || magnitude > limit)
            return fail(QStringLiteral("bad integer \"%1\"").arg(text));
        return QVariant(negative ? qint64(0 - magnitude) : qint64(magnitude));
    }

    std::optional<QVariant> parseReal(const QString& text)
    {
        const QString lower = text.toLower();
        if (lower == u"nan")
            return QVariant(std::numeric_limits<double>::quiet_NaN());
        if (lower == u"inf" || lower == u"+inf" || lower == u"infinity" || lower == u"+infinity")
            return QVariant(std::numeric_limits<double>::infinity());
        if (lower == u"-inf" || lower == u"-infinity")
            return QVariant(-std::numeric_limits<double>::infinity());
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok)
            return fail(QStringLiteral("bad real \"%1\"").arg(text));
        return QVariant(number);
    }

    std::optional<QVariant> parseData(const QString& text)
    {
        QByteArray base64;
        base64.reserve(text.size());
        for (QChar c : text) {
            if (!c.isSpace())
                base64.append(char(c.unicode() < 0x80 ? c.unicode() : '!'));
        }
        auto decoded =
            QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return fail(QStringLiteral("bad base64 in <data>"));
        return QVariant(decoded.decoded);
    }

    std::optional<QVariant> parseDate(const QString& text)
    {
        // Fractions of a second, which other writers may put there, are read.
        const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!date.isValid())
            return fail(QStringLiteral("bad date \"%1\"").arg(text));
        return QVariant(wholeSeconds(date));
    }

    QXmlStreamReader m_reader;
};

// ---- writing

// A carriage return written as itself would come back as a line feed (XML
// normalises line ends), so it goes out as a character reference.
void writeText(QXmlStreamWriter& writer, const QString& element, const QString& text)
{
    writer.writeStartElement(element);
    qsizetype start = 0;
    for (qsizetype cr = text.indexOf(u'\r'); cr >= 0; cr = text.indexOf(u'\r', start)) {
        writer.writeCharacters(text.mid(start, cr - start));
        writer.writeEntityReference(QStringLiteral("#13"));
        start = cr + 1;
    }
    writer.writeCharacters(text.mid(start));
    writer.writeEndElement();
}

QString realText(double number)
{
    if (std::isnan(number))
        return QStringLiteral("nan");
    if (std::isinf(number))
        return number > 0 ? QStringLiteral("+infinity") : QStringLiteral("-infinity");
    // QString::number drops the sign of a negative zero.
    if (number == 0 && std::signbit(number))
        return QStringLiteral("-0");
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

// "2024-02-29T13:14:15Z", the form every property-list reader takes.
QString dateText(const QDateTime& date)
{
    return wholeSeconds(date).toString(Qt::ISODate);
}

void writeValue(QXmlStreamWriter& writer, const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        writer.writeEmptyElement(value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        break;
    case QMetaType::LongLong:
        writer.writeTextElement(QStringLiteral("integer"), QString::number(value.toLongLong()));
        break;
    case QMetaType::Double:
        writer.writeTextElement(QStringLiteral("real"), realText(value.toDouble()));
        break;
    case QMetaType::QString:
        writeText(writer, QStringLiteral("string"), value.toString());
        break;
    case QMetaType::QByteArray:
        writer.writeTextElement(QStringLiteral("data"),
                                QString::fromLatin1(value.toByteArray().toBase64()));
        break;
    case QMetaType::QDateTime:
        writer.writeTextElement(QStringLiteral("date"), dateText(value.toDateTime()));
        break;
    case QMetaType::QVariantList:
        writer.writeStartElement(QStringLiteral("array"));
        for (const QVariant& item : value.toList())
            writeValue(writer, item);
        writer.writeEndElement();
        break;
    case QMetaType::QVariantMap: {
        writer.writeStartElement(QStringLiteral("dict"));
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            writeText(writer, QStringLiteral("key"), it.key());
            writeValue(writer, it.value());
        }
        writer.writeEndElement();
        break;
    }
    default:
        Q_ASSERT_X(false, "writeValue", "value did not come from storableValue");
        break;
    }
}

} // namespace

bool isStorableText(const QString& text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 == size || !QChar::isLowSurrogate(text.at(i + 1).unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        } else if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') {
            return false;
        }
    }
    return true;
}

std::optional<QVariant> storableValue(const QVariant& value)
{
    return canonical(value, 1);
}

ParsedPropertyList parsePropertyList(const QByteArray& xml)
{
    return Parser(xml).parse();
}

QByteArray serializePropertyList(const QVariantMap& values)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(-1); // one tab per level, as other plist writers do
    writer.writeStartDocument();
    writer.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                   "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    writer.writeStartElement(QStringLiteral("plist"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    writeValue(writer, QVariant(values));
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

} // namespace tessaly::prefs
