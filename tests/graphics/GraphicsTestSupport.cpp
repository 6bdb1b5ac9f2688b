// Shared pieces of the graphics tests.
#include "GraphicsTestSupport.h"

#include <QtEndian>

#include <map>

std::vector<ExportTypeEntry> ReadExportTypeList()
{
    std::vector<ExportTypeEntry> entries;
    GraphicsImportComponent importer = nullptr;
    if (OpenADefaultComponent(GraphicsImporterComponentType, kQTFileTypePicture, &importer) != noErr)
        return entries;
    QTAtomContainer list = nullptr;
    if (GraphicsImportGetExportImageTypeList(importer, &list) == noErr) {
        const short count = QTCountChildrenOfType(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"));
        for (short i = 1; i <= count; ++i) {
            const QTAtom expo =
                QTFindChildByIndex(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), i, nullptr);
            ExportTypeEntry entry;
            const auto text = [&](OSType childType) {
                char buffer[256];
                long size = 0;
                const QTAtom child = QTFindChildByIndex(list, expo, childType, 1, nullptr);
                if (!child || QTCopyAtomDataToPtr(list, child, true, 255, buffer, &size) != noErr)
                    return QByteArray();
                return QByteArray(buffer, size);
            };
            const QByteArray code = text(FOUR_CHAR_CODE("ftyp"));
            if (code.size() == 4)
                entry.type = qFromBigEndian<quint32>(code.constData());
            entry.description = text(FOUR_CHAR_CODE("desc"));
            entry.extension = text(FOUR_CHAR_CODE("ext "));
            entry.mimeType = text(FOUR_CHAR_CODE("mime"));
            entries.push_back(entry);
        }
        QTDisposeAtomContainer(list);
    }
    CloseComponent(importer);
    return entries;
}

std::string LoaderForExtension(const QByteArray& extension)
{
    static const std::map<QByteArray, std::string> loaders = {
        {"jpg", "jpegload"}, {"png", "pngload"},  {"webp", "webpload"}, {"tif", "tiffload"},
        {"gif", "gifload"},  {"heic", "heifload"}, {"avif", "heifload"}, {"jxl", "jxlload"},
        {"jp2", "jp2kload"}, {"ppm", "ppmload"},
    };
    const auto found = loaders.find(extension);
    return found == loaders.end() ? std::string() : found->second;
}

namespace {

// Deterministic garbage, different from any picture's bytes.
void Scribble(QByteArray& bytes, qsizetype from, qsizetype count)
{
    quint32 state = 0x9E3779B9u;
    for (qsizetype i = from; i < from + count && i < bytes.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = char(state & 0xFF);
    }
}

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray PngChunk(const char* type, const QByteArray& data)
{
    QByteArray typed = QByteArray(type, 4) + data;
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    chunk += typed;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(Crc32(typed), crc.data());
    return chunk + crc;
}

} // namespace

QByteArray Truncated(const QByteArray& bytes)
{
    return bytes.left(bytes.size() / 2);
}

QByteArray WithGarbageInside(const QByteArray& bytes)
{
    QByteArray damaged = bytes;
    Scribble(damaged, damaged.size() * 55 / 100, 512);
    return damaged;
}

QByteArray WithGarbageHeader(const QByteArray& bytes)
{
    QByteArray damaged = bytes;
    Scribble(damaged, 4, 60);
    return damaged;
}

QByteArray PngClaimingSize(quint32 width, quint32 height)
{
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 2; // RGB
    // Four rows of grey, each after its filter byte.
    QByteArray rows;
    for (int row = 0; row < 4; ++row)
        rows += QByteArray(1, '\0') + QByteArray(qsizetype(width) * 3, '\x80');
    const QByteArray zlibStream = qCompress(rows).mid(4); // without Qt's length prefix
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
           PngChunk("IDAT", zlibStream) + PngChunk("IEND", {});
}

QByteArray JpegClaimingSize(QByteArray jpeg, quint16 width, quint16 height)
{
    // The baseline frame header: FF C0, length, precision, height, width.
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0 || frame + 9 > jpeg.size())
        return {};
    qToBigEndian<quint16>(height, jpeg.data() + frame + 5);
    qToBigEndian<quint16>(width, jpeg.data() + frame + 7);
    return jpeg;
}
