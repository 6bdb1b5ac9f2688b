// SPDX-License-Identifier: GPL-3.0-or-later
// Leaving out where a photo was taken: the EXIF GPS directory, the XMP
// properties and the IPTC datasets that name a place, while every other
// piece of metadata stays. And the IPTC block put where each saver writes it
// whole.
#include "GraphicsCore.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
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

// --- IPTC --------------------------------------------------------------------------

using Bytes = std::span<const std::uint8_t>;

// The IIM datasets that say where the picture was taken or what place it
// shows, all in the application record (2): content location code and
// name, city, sub-location, province or state, country code and name.
bool IsPlaceDataset(unsigned record, unsigned dataset)
{
    if (record != 2)
        return false;
    switch (dataset) {
    case 26:
    case 27:
    case 90:
    case 92:
    case 95:
    case 100:
    case 101:
        return true;
    default:
        return false;
    }
}

// Writers pad IIM data and resource blocks to a word or more with zeros,
// which hold nothing.
bool AllZeros(Bytes bytes)
{
    for (const std::uint8_t byte : bytes) {
        if (byte)
            return false;
    }
    return true;
}

void Append(std::vector<std::uint8_t>& out, Bytes bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Appends the IIM datasets less the place ones; false when a dataset does
// not fit in the bytes.
bool AppendIimWithoutPlaces(Bytes iim, std::vector<std::uint8_t>& out)
{
    std::size_t at = 0;
    while (at < iim.size()) {
        const Bytes rest = iim.subspan(at);
        if (rest[0] != 0x1c) {
            if (!AllZeros(rest))
                return false;
            Append(out, rest);
            return true;
        }
        if (rest.size() < 5)
            return false;
        std::size_t header = 5;
        std::size_t length = std::size_t(rest[3]) << 8 | rest[4];
        if (length & 0x8000) {
            // The extended form: the low bits count the bytes of the length
            // that follows.
            const std::size_t count = length & 0x7fff;
            if (count == 0 || count > 4 || rest.size() - header < count)
                return false;
            length = 0;
            for (std::size_t n = 0; n < count; ++n)
                length = length << 8 | rest[header + n];
            header += count;
        }
        if (length > rest.size() - header)
            return false;
        if (!IsPlaceDataset(rest[1], rest[2]))
            Append(out, rest.first(header + length));
        at += header + length;
    }
    return true;
}

std::uint32_t BigLong(Bytes bytes)
{
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
           std::uint32_t(bytes[2]) << 8 | bytes[3];
}

constexpr unsigned kIptcResource = 0x0404;
// What a JPEG's APP13 segment starts with, as libvips keeps it.
constexpr std::uint8_t kPhotoshop[] = "Photoshop 3.0";

// One Photoshop image resource block.
struct Resource {
    unsigned id = 0;
    Bytes head; // the signature, the id and the name: all before the size
    Bytes data;
    Bytes whole; // the block with the padding of its data
};

// Calls each(resource) for every block, in order, and copies zeros that pad
// the blocks out to padding; false when a block does not fit in the bytes,
// when anything else follows them, or when each says false.
template <typename Each>
bool ForEachResource(Bytes resources, std::vector<std::uint8_t>* padding, Each each)
{
    std::size_t at = 0;
    while (at < resources.size()) {
        const Bytes rest = resources.subspan(at);
        if (rest.size() < 4 || std::memcmp(rest.data(), "8BIM", 4) != 0) {
            if (!AllZeros(rest))
                return false;
            if (padding)
                Append(*padding, rest);
            return true;
        }
        if (rest.size() < 7)
            return false;
        // The name is a Pascal string, its length byte included, padded to
        // an even size.
        const std::size_t name = (std::size_t(rest[6]) + 2) & ~std::size_t(1);
        if (rest.size() - 6 < name + 4)
            return false;
        const std::size_t sizeAt = 6 + name;
        const std::size_t length = BigLong(rest.subspan(sizeAt, 4));
        const std::size_t dataAt = sizeAt + 4;
        if (length > rest.size() - dataAt)
            return false;
        // The data is padded to an even size; a last block may go without.
        const std::size_t end = std::min(dataAt + length + (length & 1), rest.size());
        if (!each(Resource{unsigned(rest[4]) << 8 | rest[5], rest.first(sizeAt),
                           rest.subspan(dataAt, length), rest.first(end)}))
            return false;
        at += end;
    }
    return true;
}

// Appends a block of head and data, its size written for data.
void AppendResource(std::vector<std::uint8_t>& out, Bytes head, Bytes data)
{
    Append(out, head);
    const auto size = std::uint32_t(data.size());
    out.insert(out.end(), {std::uint8_t(size >> 24), std::uint8_t(size >> 16),
                           std::uint8_t(size >> 8), std::uint8_t(size)});
    Append(out, data);
    if (data.size() & 1)
        out.push_back(0);
}

// Appends the Photoshop image resource blocks, the IPTC one less its place
// datasets and with its size written again; false when a block does not
// fit in the bytes.
bool AppendResourcesWithoutPlaces(Bytes resources, std::vector<std::uint8_t>& out)
{
    return ForEachResource(resources, &out, [&out](const Resource& resource) {
        if (resource.id != kIptcResource) {
            Append(out, resource.whole);
            return true;
        }
        std::vector<std::uint8_t> iim;
        if (!AppendIimWithoutPlaces(resource.data, iim))
            return false;
        AppendResource(out, resource.head, iim);
        return true;
    });
}

// The IIM datasets an IPTC block holds, whichever of its forms it comes in
// (see IptcWithoutLocation); empty when it holds none or cannot be read.
Bytes IimOf(Bytes block)
{
    Bytes iim;
    if (block.size() >= sizeof kPhotoshop &&
        std::memcmp(block.data(), kPhotoshop, sizeof kPhotoshop) == 0)
        block = block.subspan(sizeof kPhotoshop);
    if (!block.empty() && block[0] == 0x1c)
        return block;
    const bool read = ForEachResource(block, nullptr, [&iim](const Resource& resource) {
        if (resource.id == kIptcResource && iim.empty())
            iim = resource.data;
        return true;
    });
    return read ? iim : Bytes();
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

// A block that cannot be read through may hold a place all the same, so it
// is left out whole rather than passed on.
void LeaveOutIptcLocation(VipsImage* image, const char* field)
{
    if (!vips_image_get_typeof(image, field))
        return;
    const void* data = nullptr;
    std::size_t length = 0;
    std::vector<std::uint8_t> block;
    if (vips_image_get_blob(image, field, &data, &length) != 0 || !data ||
        !IptcWithoutLocation(Bytes(static_cast<const std::uint8_t*>(data), length), &block)) {
        vips_error_clear();
        vips_image_remove(image, field);
        return;
    }
    if (block.empty())
        vips_image_remove(image, field);
    else
        vips_image_set_blob_copy(image, field, block.data(), block.size());
}

} // namespace

bool IptcWithoutLocation(std::span<const std::uint8_t> block, std::vector<std::uint8_t>* out)
{
    // A JPEG's APP13 segment as libvips keeps it starts with kPhotoshop;
    // TIFF's Photoshop tag holds the resource blocks alone, its IPTC tag the
    // IIM datasets alone.
    out->clear();
    bool read = false;
    if (block.size() >= sizeof kPhotoshop &&
        std::memcmp(block.data(), kPhotoshop, sizeof kPhotoshop) == 0) {
        Append(*out, Bytes(kPhotoshop));
        read = AppendResourcesWithoutPlaces(block.subspan(sizeof kPhotoshop), *out);
    } else if (block.size() >= 4 && std::memcmp(block.data(), "8BIM", 4) == 0) {
        read = AppendResourcesWithoutPlaces(block, *out);
    } else if (!block.empty() && block[0] == 0x1c) {
        read = AppendIimWithoutPlaces(block, *out);
        // Padding alone is no block.
        if (AllZeros(*out))
            out->clear();
    } else {
        read = block.empty();
    }
    if (!read)
        out->clear();
    return read;
}

namespace
{

// A copy of its own, made outside libvips' operation cache: a cached copy
// may be the very picture another caller holds, and its metadata is changed
// by the caller.
vips::VImage CopyForMetadata(const vips::VImage& picture)
{
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
    return vips::VImage(copy); // takes the reference
}

Bytes BlobOf(VipsImage* image, const char* field)
{
    const void* data = nullptr;
    std::size_t length = 0;
    if (!vips_image_get_typeof(image, field))
        return {};
    if (vips_image_get_blob(image, field, &data, &length) != 0 || !data) {
        vips_error_clear();
        return {};
    }
    return Bytes(static_cast<const std::uint8_t*>(data), length);
}

} // namespace

vips::VImage WithoutLocation(const vips::VImage& picture)
{
    vips::VImage result = CopyForMetadata(picture);
    VipsImage* copy = result.get_image();
    LeaveOutExifLocation(copy);
    LeaveOutXmpLocation(copy);
    LeaveOutIptcLocation(copy, VIPS_META_IPTC_NAME);
    LeaveOutIptcLocation(copy, VIPS_META_PHOTOSHOP_NAME);
    return result;
}

vips::VImage WithIptcFor(const vips::VImage& picture, IptcHome home)
{
    if (home == IptcHome::AsLoaded)
        return picture;
    const Bytes block = BlobOf(picture.get_image(), VIPS_META_IPTC_NAME);
    const bool segment = block.size() >= sizeof kPhotoshop &&
                         std::memcmp(block.data(), kPhotoshop, sizeof kPhotoshop) == 0;
    if (!vips_image_get_typeof(picture.get_image(), VIPS_META_IPTC_NAME) ||
        (home == IptcHome::App13 && segment))
        return picture; // nothing to move
    // The IIM datasets, copied: the blob goes with the field.
    const Bytes found = IimOf(block);
    const std::vector<std::uint8_t> iim(found.begin(), found.end());
    vips::VImage result = CopyForMetadata(picture);
    VipsImage* copy = result.get_image();
    vips_image_remove(copy, VIPS_META_IPTC_NAME);
    static constexpr std::uint8_t kIptcHead[] = {'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0};
    if (home == IptcHome::App13) {
        if (!iim.empty()) {
            std::vector<std::uint8_t> wrapped(std::begin(kPhotoshop), std::end(kPhotoshop));
            AppendResource(wrapped, kIptcHead, iim);
            vips_image_set_blob_copy(copy, VIPS_META_IPTC_NAME, wrapped.data(), wrapped.size());
        }
        return result;
    }
    // IptcHome::PhotoshopTag: the datasets join the Photoshop tag's
    // resources, unless they hold an IPTC block already.
    const Bytes photoshop = BlobOf(copy, VIPS_META_PHOTOSHOP_NAME);
    std::vector<std::uint8_t> resources(photoshop.begin(), photoshop.end());
    bool holdsIptc = false;
    const bool read = ForEachResource(photoshop, nullptr, [&holdsIptc](const Resource& resource) {
        holdsIptc = holdsIptc || resource.id == kIptcResource;
        return true;
    });
    if (read && !holdsIptc && !iim.empty()) {
        AppendResource(resources, kIptcHead, iim);
        vips_image_set_blob_copy(copy, VIPS_META_PHOTOSHOP_NAME, resources.data(),
                                 resources.size());
    }
    return result;
}

} // namespace platform::graphics
