// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus into corpus/<target>/ under the folder given: small
// pictures of the kinds users meet, sample property lists, alias records
// and descriptors of the items the alias and descriptor targets make.
// fuzz/make-seeds.sh runs it; the seeds are kept in the repository, so this
// runs only when they are to change.
#include "FuzzSupport.h"

#include "platform/prefs/PropertyList.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <vips/vips8>

#include <cstdio>
#include <string>

using namespace fuzzsupport;

namespace
{

QByteArray gCorpus;

void Put(const char* target, const QByteArray& name, const QByteArray& bytes)
{
    const QByteArray folder = gCorpus + '/' + target;
    QDir().mkpath(QFile::decodeName(folder));
    WriteWhole(folder + '/' + name, reinterpret_cast<const uint8_t*>(bytes.constData()),
               size_t(bytes.size()));
}

// A small picture: a diagonal ramp in each band, with alpha when asked.
vips::VImage Ramp(int width, int height, int bands, VipsBandFormat format)
{
    vips::VImage xy = vips::VImage::xyz(width, height);
    vips::VImage ramp = (xy[0] * 7 + xy[1] * 11) % 256;
    std::vector<vips::VImage> planes;
    for (int b = 0; b < bands; ++b)
        planes.push_back((ramp + b * 60) % 256);
    vips::VImage picture = vips::VImage::bandjoin(planes).cast(VIPS_FORMAT_UCHAR);
    picture = picture.copy(vips::VImage::option()->set(
        "interpretation", bands <= 2 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB));
    if (format == VIPS_FORMAT_USHORT)
        picture = (picture * 257)
                      .cast(VIPS_FORMAT_USHORT)
                      .copy(vips::VImage::option()->set("interpretation",
                                                        bands <= 2 ? VIPS_INTERPRETATION_GREY16
                                                                   : VIPS_INTERPRETATION_RGB16));
    else if (format == VIPS_FORMAT_FLOAT)
        picture =
            (picture / 255.0)
                .cast(VIPS_FORMAT_FLOAT)
                .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_scRGB));
    return picture;
}

QByteArray Saved(vips::VImage picture, const char* suffix)
{
    void* buffer = nullptr;
    size_t length = 0;
    picture.write_to_buffer(suffix, &buffer, &length);
    QByteArray bytes(static_cast<const char*>(buffer), qsizetype(length));
    g_free(buffer);
    return bytes;
}

// An uncompressed true-colour Targa, which libvips cannot write: the
// 18-byte header, then blue, green, red from the top row down.
QByteArray Targa(int width, int height)
{
    QByteArray bytes(18, '\0');
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = char(width);
    bytes[13] = char(width >> 8);
    bytes[14] = char(height);
    bytes[15] = char(height >> 8);
    bytes[16] = 24;   // bits a pixel
    bytes[17] = 0x20; // rows stored top first
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bytes.append(char(x * 40));
            bytes.append(char(y * 40));
            bytes.append(char(200));
        }
    }
    return bytes;
}

void MakePictures()
{
    Put("picture", "rgb.png", Saved(Ramp(16, 12, 3, VIPS_FORMAT_UCHAR), ".png"));
    Put("picture", "rgba16.png", Saved(Ramp(8, 8, 4, VIPS_FORMAT_USHORT), ".png"));
    Put("picture", "grey-alpha.png", Saved(Ramp(8, 6, 2, VIPS_FORMAT_UCHAR), ".png"));
    Put("picture", "interlaced.png", Saved(Ramp(9, 7, 3, VIPS_FORMAT_UCHAR), ".png[interlace]"));
    Put("picture", "rgb.jpg", Saved(Ramp(16, 16, 3, VIPS_FORMAT_UCHAR), ".jpg[Q=50]"));
    vips::VImage turned = Ramp(16, 8, 3, VIPS_FORMAT_UCHAR).copy();
    turned.set(VIPS_META_ORIENTATION, 6);
    Put("picture", "orientation6.jpg", Saved(turned, ".jpg[Q=50]"));
    Put("picture", "cmyk.jpg",
        Saved(Ramp(8, 8, 4, VIPS_FORMAT_UCHAR)
                  .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_CMYK)),
              ".jpg[Q=50]"));
    Put("picture", "rgba.webp", Saved(Ramp(12, 12, 4, VIPS_FORMAT_UCHAR), ".webp[Q=50]"));
    Put("picture", "lossless.webp", Saved(Ramp(8, 8, 3, VIPS_FORMAT_UCHAR), ".webp[lossless]"));
    Put("picture", "rgb.tif", Saved(Ramp(8, 8, 3, VIPS_FORMAT_UCHAR), ".tif"));
    Put("picture", "float-alpha.tif", Saved(Ramp(6, 6, 4, VIPS_FORMAT_FLOAT), ".tif"));
    Put("picture", "grey.gif", Saved(Ramp(10, 10, 1, VIPS_FORMAT_UCHAR), ".gif"));
    // Two frames of 8 × 8, stacked, make an animation.
    vips::VImage frames = Ramp(8, 16, 3, VIPS_FORMAT_UCHAR).copy();
    frames.set("page-height", 8);
    frames.set("delay", std::vector<int>{100, 100});
    Put("picture", "animated.gif", Saved(frames, ".gif"));
    Put("picture", "animated.webp", Saved(frames, ".webp[Q=50]"));
    Put("picture", "rgb.ppm", Saved(Ramp(4, 4, 3, VIPS_FORMAT_UCHAR), ".ppm"));
    Put("picture", "rgb.tga", Targa(4, 4));
    // Formats only ImageMagick reads, where the running libvips can write them.
    for (const char* format : {"bmp", "tga", "ico", "pcx", "xpm"}) {
        try {
            const QByteArray bytes =
                Saved(Ramp(8, 8, 3, VIPS_FORMAT_UCHAR), (std::string(".") + format).c_str());
            Put("picture", QByteArray("rgb.") + format, bytes);
        } catch (const vips::VError&) {
            std::fprintf(stderr, "no %s saver; that seed is left out\n", format);
        }
    }
}

// Streams for the JPEG re-coder, written with the standard tables as the
// exporter writes large pictures: the samplings, restart intervals and
// colours its tests use and a picture of one pixel; and at its edges, a
// stream whose tables are optimal already (taken) and a progressive one
// (refused).
void MakeJpegStreams()
{
    const auto textured = [](int width, int height, int bands) {
        const vips::VImage noise = vips::VImage::gaussnoise(
            width, height, vips::VImage::option()->set("sigma", 40.0)->set("seed", 7));
        vips::VImage picture = Ramp(width, height, bands, VIPS_FORMAT_UCHAR);
        picture = (picture + noise).cast(VIPS_FORMAT_UCHAR);
        return picture.copy(
            vips::VImage::option()->set("interpretation", bands == 1   ? VIPS_INTERPRETATION_B_W
                                                          : bands == 4 ? VIPS_INTERPRETATION_CMYK
                                                                       : VIPS_INTERPRETATION_sRGB));
    };
    struct Stream {
        const char* name;
        int width, height, bands;
        const char* options;
    };
    const Stream streams[] = {
        {"colour-420-q75.jpg", 48, 32, 3, "Q=75"},
        {"colour-420-q50-partial.jpg", 33, 17, 3, "Q=50"},
        {"colour-444-q75.jpg", 24, 16, 3, "Q=75,subsample_mode=off"},
        {"colour-444-q95.jpg", 16, 16, 3, "Q=95"},
        {"colour-restart1.jpg", 32, 32, 3, "Q=75,restart_interval=1"},
        {"colour-restart7.jpg", 40, 24, 3, "Q=50,restart_interval=7"},
        {"colour-one-pixel.jpg", 1, 1, 3, "Q=75"},
        {"grey-q75.jpg", 32, 24, 1, "Q=75"},
        {"grey-restart3.jpg", 24, 24, 1, "Q=95,restart_interval=3"},
        {"cmyk-q75.jpg", 16, 16, 4, "Q=75"},
        {"cmyk-restart2.jpg", 24, 16, 4, "Q=50,restart_interval=2"},
        {"colour-optimal.jpg", 32, 16, 3, "Q=75,optimize_coding=true"},
        {"colour-progressive.jpg", 32, 16, 3, "Q=75,interlace=true"},
    };
    for (const Stream& stream : streams) {
        const std::string format = std::string(".jpg[strip,") + stream.options + "]";
        Put("jpeg_recode", stream.name,
            Saved(textured(stream.width, stream.height, stream.bands), format.c_str()));
    }
}

void MakePropertyLists()
{
    using tessaly::prefs::serializePropertyList;
    Put("property_list", "empty.plist", serializePropertyList({}));
    Put("property_list", "kinds.plist",
        serializePropertyList({
            {"Boolean", true},
            {"Integer", qint64(-42)},
            {"Real", 2.5},
            {"String", QStringLiteral("Grüße & <tags>")},
            {"Data", QByteArray("\x00\x01\xFF", 3)},
            {"Date", QDateTime::fromString("2024-02-29T13:14:15Z", Qt::ISODate)},
        }));
    Put("property_list", "nested.plist",
        serializePropertyList({
            {"Last ImageURL Extension", QStringLiteral("webp")},
            {"Sizes", QVariantList{qint64(640), qint64(480), QVariantList{}}},
            {"Window", QVariantMap{{"Frame", QStringLiteral("10 10 400 300")}, {"Open", false}}},
        }));
}

QByteArray HandleBytes(Handle handle)
{
    return QByteArray(*handle, qsizetype(GetHandleSize(handle)));
}

QByteArray AliasOf(const QByteArray& path)
{
    const FSRef ref = RefFor(path);
    AliasHandle alias = nullptr;
    if (FSNewAlias(nullptr, &ref, &alias) != noErr)
        Fail("no alias record");
    const QByteArray bytes = HandleBytes(alias);
    DisposeHandle(alias);
    return bytes;
}

void MakeAliasesAndDescriptors()
{
    // The places the alias and descriptor targets make their items.
    const QByteArray aliasFolder = "/tmp/tessaly-fuzz-alias/folder";
    const QByteArray itemFolder = "/tmp/tessaly-fuzz-descriptors/folder";
    for (const QByteArray& folder : {aliasFolder, itemFolder})
        QDir().mkpath(QFile::decodeName(folder));
    WriteWhole(aliasFolder + "/target.txt", reinterpret_cast<const uint8_t*>("target"), 6);
    WriteWhole(itemFolder + "/item.txt", reinterpret_cast<const uint8_t*>("item"), 4);

    Put("alias", "file.alis", AliasOf(aliasFolder + "/target.txt"));
    Put("alias", "folder.alis", AliasOf(aliasFolder));

    Put("descriptors", "item.alis", AliasOf(itemFolder + "/item.txt"));
    Put("descriptors", "item.furl", "file://" + itemFolder + "/item.txt");
    Put("descriptors", "escaped.furl", "file://localhost" + itemFolder + "/item%2Etxt#part");
    const FSSpec spec = SpecFor(itemFolder + "/item.txt");
    Put("descriptors", "item.fss", QByteArray(reinterpret_cast<const char*>(&spec), sizeof spec));
    const FSRef ref = RefFor(itemFolder + "/item.txt");
    Put("descriptors", "item.fsrf", QByteArray(reinterpret_cast<const char*>(&ref), sizeof ref));
}

// IPTC blocks: a JPEG's APP13 segment (Photoshop image resources, the IPTC
// one among them) and IIM datasets alone, one with an extended length.
void MakeIptcBlocks()
{
    const auto dataset = [](char number, const QByteArray& value) {
        return QByteArray("\x1c\x02", 2) + number + char(value.size() >> 8) +
               char(value.size() & 0xff) + value;
    };
    const QByteArray iim = dataset(0, QByteArray("\0\4", 2)) + dataset(25, "tower") +
                           dataset(80, "Ann Example") + dataset(90, "Paris") +
                           dataset(101, "France");
    const QByteArray digest = QByteArray("8BIM\x04\x25\0\0\0\0\0\x10", 12) + QByteArray(16, 'd');
    QByteArray iptc = QByteArray("8BIM\x04\x04\x01x\0\0\0", 11) + char(iim.size()) + iim;
    if (iim.size() % 2)
        iptc += '\0';
    Put("iptc", "segment", QByteArray("Photoshop 3.0\0", 14) + digest + iptc);
    Put("iptc", "datasets",
        iim + QByteArray("\x1c\x02\x5c\x80\x02\0\x04", 7) + "Mars" + QByteArray(2, '\0'));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || VIPS_INIT(argv[0]) != 0) {
        std::fprintf(stderr, "usage: tessaly_fuzz_seeds CORPUS-FOLDER\n");
        return 2;
    }
    gCorpus = QFile::encodeName(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    try {
        MakePictures();
        MakeJpegStreams();
    } catch (const vips::VError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    MakePropertyLists();
    MakeAliasesAndDescriptors();
    MakeIptcBlocks();
    return 0;
}
