// SPDX-License-Identifier: GPL-3.0-or-later
// Leaving out where a photo was taken: the EXIF GPS directory and the XMP
// properties that name a place, while every other piece of metadata stays.
#include "GraphicsCore.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

namespace platform::graphics
{

namespace
{

// --- EXIF --------------------------------------------------------------------------

// The EXIF block as libvips holds it: "Exif\0\0" and a TIFF structure.
class TiffBytes
{
public:
    TiffBytes(std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Valid() const
    {
        return m_size >= 8 &&
               ((m_data[0] == 'I' && m_data[1] == 'I') || (m_data[0] == 'M' && m_data[1] == 'M'));
    }
    bool Holds(std::size_t at, std::size_t length) const
    {
        return at <= m_size && length <= m_size - at;
    }
    unsigned Short(std::size_t at) const
    {
        if (!Holds(at, 2))
            return 0;
        return Little() ? m_data[at] | m_data[at + 1] << 8 : m_data[at] << 8 | m_data[at + 1];
    }
    std::uint32_t Long(std::size_t at) const
    {
        if (!Holds(at, 4))
            return 0;
        return Little() ? std::uint32_t(Short(at)) | std::uint32_t(Short(at + 2)) << 16
                        : std::uint32_t(Short(at)) << 16 | std::uint32_t(Short(at + 2));
    }
    void Clear(std::size_t at, std::size_t length)
    {
        if (Holds(at, length))
            std::memset(m_data + at, 0, length);
    }

private:
    bool Little() const { return m_data[0] == 'I'; }

    std::uint8_t* m_data;
    std::size_t m_size;
};

constexpr unsigned kGpsDirectoryTag = 0x8825;

// The bytes one value of each TIFF field type takes (types 1 to 13).
std::size_t TypeSize(unsigned type)
{
    static constexpr std::size_t sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return type < std::size(sizes) ? sizes[type] : 0;
}

// Empties the GPS directory in place: its entries and the values they point
// at become zeros and its count 0, so no reader finds a coordinate in it,
// and no offset elsewhere in the block moves.
void ClearGpsDirectory(TiffBytes& tiff)
{
    const std::uint32_t first = tiff.Long(4);
    const unsigned entries = tiff.Short(first);
    for (unsigned n = 0; n < entries; ++n) {
        const std::size_t entry = first + 2 + std::size_t(n) * 12;
        if (!tiff.Holds(entry, 12) || tiff.Short(entry) != kGpsDirectoryTag)
            continue;
        const std::uint32_t gps = tiff.Long(entry + 8);
        const unsigned count = tiff.Short(gps);
        if (!tiff.Holds(gps, 2 + std::size_t(count) * 12))
            return;
        for (unsigned g = 0; g < count; ++g) {
            const std::size_t field = gps + 2 + std::size_t(g) * 12;
            const std::size_t bytes = TypeSize(tiff.Short(field + 2)) * tiff.Long(field + 4);
            if (bytes > 4)
                tiff.Clear(tiff.Long(field + 8), bytes);
        }
        tiff.Clear(gps, 2 + std::size_t(count) * 12);
        return;
    }
}

// --- XMP ---------------------------------------------------------------------------

// Whether the property (namespace and local name) says where the picture
// was taken or what place it shows.
bool IsLocationProperty(QStringView ns, QStringView name)
{
    if (ns == u"http://ns.adobe.com/exif/1.0/")
        return name.startsWith(u"GPS");
    if (ns == u"http://ns.adobe.com/photoshop/1.0/")
        return name == u"City" || name == u"State" || name == u"Country";
    if (ns == u"http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/")
        return name == u"Location" || name == u"CountryCode";
    if (ns == u"http://iptc.org/std/Iptc4xmpExt/2008-02-29/")
        return name == u"LocationCreated" || name == u"LocationShown";
    return false;
}

// The packet again without its location properties, written as element
// and attribute names stood (their prefixes and declarations kept); empty
// when the packet is not well-formed XML, which then is left out whole
// rather than passed on with a place in it.
QByteArray XmpWithoutLocation(QByteArray packet)
{
    // Savers pad packets, some with NULs, which XML does not allow.
    while (packet.endsWith('\0'))
        packet.chop(1);
    QXmlStreamReader reader(packet);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    int skipping = 0; // depth inside a left-out element
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (skipping) {
            if (token == QXmlStreamReader::StartElement)
                ++skipping;
            else if (token == QXmlStreamReader::EndElement)
                --skipping;
            continue;
        }
        switch (token) {
        case QXmlStreamReader::StartElement: {
            if (IsLocationProperty(reader.namespaceUri(), reader.name())) {
                skipping = 1;
                break;
            }
            writer.writeStartElement(reader.qualifiedName().toString());
            for (const auto& declaration : reader.namespaceDeclarations()) {
                if (declaration.prefix().isEmpty())
                    writer.writeDefaultNamespace(declaration.namespaceUri().toString());
                else
                    writer.writeNamespace(declaration.namespaceUri().toString(),
                                          declaration.prefix().toString());
            }
            for (const auto& attribute : reader.attributes()) {
                if (!IsLocationProperty(attribute.namespaceUri(), attribute.name()))
                    writer.writeAttribute(attribute.qualifiedName().toString(),
                                          attribute.value().toString());
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (reader.isCDATA())
                writer.writeCDATA(reader.text().toString());
            else
                writer.writeCharacters(reader.text().toString());
            break;
        case QXmlStreamReader::ProcessingInstruction:
            writer.writeProcessingInstruction(reader.processingInstructionTarget().toString(),
                                              reader.processingInstructionData().toString());
            break;
        case QXmlStreamReader::Comment:
            writer.writeComment(reader.text().toString());
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return {};
    return out;
}

// libvips keeps EXIF twice: the block as read, and a field per entry
// ("exif-ifd3-..." for the GPS directory) from which the savers write the
// block again. Both lose the GPS entries.
void LeaveOutExifLocation(VipsImage* image)
{
    if (vips_image_get_typeof(image, VIPS_META_EXIF_NAME)) {
        const void* data = nullptr;
        std::size_t length = 0;
        if (vips_image_get_blob(image, VIPS_META_EXIF_NAME, &data, &length) == 0 && data) {
            std::vector<std::uint8_t> exif(static_cast<const std::uint8_t*>(data),
                                           static_cast<const std::uint8_t*>(data) + length);
            constexpr char kHeader[] = "Exif\0";
            const std::size_t start =
                exif.size() >= 6 && std::memcmp(exif.data(), kHeader, 6) == 0 ? 6 : 0;
            TiffBytes tiff(exif.data() + start, exif.size() - start);
            if (tiff.Valid())
                ClearGpsDirectory(tiff);
            vips_image_set_blob_copy(image, VIPS_META_EXIF_NAME, exif.data(), exif.size());
        } else {
            vips_error_clear();
        }
    }
    gchar** fields = vips_image_get_fields(image);
    for (gchar** field = fields; field && *field; ++field) {
        if (std::string_view(*field).starts_with("exif-ifd3-"))
            vips_image_remove(image, *field);
    }
    g_strfreev(fields);
}

void LeaveOutXmpLocation(VipsImage* image)
{
    if (!vips_image_get_typeof(image, VIPS_META_XMP_NAME))
        return;
    const void* data = nullptr;
    std::size_t length = 0;
    if (vips_image_get_blob(image, VIPS_META_XMP_NAME, &data, &length) != 0 || !data) {
        vips_error_clear();
        vips_image_remove(image, VIPS_META_XMP_NAME);
        return;
    }
    const QByteArray packet =
        XmpWithoutLocation(QByteArray(static_cast<const char*>(data), qsizetype(length)));
    if (packet.isEmpty())
        vips_image_remove(image, VIPS_META_XMP_NAME);
    else
        vips_image_set_blob_copy(image, VIPS_META_XMP_NAME, packet.constData(),
                                 std::size_t(packet.size()));
}

} // namespace

vips::VImage WithoutLocation(const vips::VImage& picture)
{
    // A copy of its own, made outside libvips' operation cache: a cached
    // copy may be the very picture another caller holds, and its metadata
    // is changed here.
    VipsOperation* operation = vips_operation_new("copy");
    if (!operation)
        throw vips::VError();
    g_object_set(operation, "in", picture.get_image(), nullptr);
    VipsImage* copy = nullptr;
    if (vips_object_build(VIPS_OBJECT(operation)) == 0)
        g_object_get(operation, "out", &copy, nullptr);
    vips_object_unref_outputs(VIPS_OBJECT(operation));
    g_object_unref(operation);
    if (!copy)
        throw vips::VError();
    vips::VImage result(copy); // takes the reference
    LeaveOutExifLocation(copy);
    LeaveOutXmpLocation(copy);
    return result;
}

} // namespace platform::graphics
