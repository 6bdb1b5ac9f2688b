// SPDX-License-Identifier: GPL-3.0-or-later
// Converting single files: where outputs go, what they are called, and that
// sources stay untouched.
#include "EngineFixture.h"

#include "app/engine/ExporterCatalogue.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace enginetest;
using namespace testsupport;

namespace
{

struct ConversionCase {
    const char* what;
    QByteArray sourceName;   // a PNG picture is written under this name
    QVariant chosen;         // the stored extension, or none
    QByteArray alreadyThere; // a file in the destination beforehand, or empty
    bool alreadyThereIsFolder;
    QByteArray expectedName;         // exact output name, or the base of a unique one
    QByteArray expectedUniqueSuffix; // non-empty: a unique name with this ending is expected
};

void PrintTo(const ConversionCase& c, std::ostream* os)
{
    *os << c.what;
}

const ConversionCase kCases[] = {
    {"new name in an empty folder", "photo.png", "jpg", "", false, "photo.jpg", ""},
    {"nothing stored uses the first type", "photo.png", QVariant(), "", false, "photo.jpg", ""},
    {"a value of another kind counts as none", "photo.png", 42, "", false, "photo.jpg", ""},
    {"letter case of the stored value is kept", "photo.png", "JPG", "", false, "photo.JPG", ""},
    {"a taken name gets a UUID", "README", "jpg", "README.jpg", false, "README", ".jpg"},
    {"a folder holding the name counts as taken", "photo.png", "jpg", "photo.jpg", true, "photo",
     ".jpg"},
    {"bytes that are not UTF-8 survive", QByteArray("caf\xe9 \xff.png"), "jpg", "", false,
     QByteArray("caf\xe9 \xff.jpg"), ""},
    {"a name of 255 bytes", QByteArray(251, 'n') + ".png", "jpg", "", false,
     QByteArray(251, 'n') + ".jpg", ""},
    {"png to png", "flat.png", "png", "", false, "flat.png", ""},
};

class Conversion : public EngineTest, public ::testing::WithParamInterface<ConversionCase>
{
};

TEST_P(Conversion, NamesAndPlacesTheOutput)
{
    const ConversionCase& c = GetParam();
    const QByteArray sourcePath = source / c.sourceName;
    ASSERT_TRUE(MakePicture(sourcePath, "PNG"));
    const QByteArray original = ReadFile(sourcePath);
    if (!c.alreadyThere.isEmpty()) {
        if (c.alreadyThereIsFolder) {
            ASSERT_TRUE(MakeFolder(destination / c.alreadyThere));
        } else {
            ASSERT_TRUE(WriteFile(destination / c.alreadyThere, "keep me"));
        }
    }
    if (c.chosen.isValid())
        choose(c.chosen);

    convert(sourcePath);

    EXPECT_EQ(ReadFile(sourcePath), original);
    std::vector<QByteArray> names = ListFolder(destination.path());
    if (!c.alreadyThere.isEmpty()) {
        auto it = std::find(names.begin(), names.end(), c.alreadyThere);
        ASSERT_NE(it, names.end());
        if (!c.alreadyThereIsFolder) {
            EXPECT_EQ(ReadFile(destination / c.alreadyThere), "keep me");
        }
        names.erase(it);
    }
    ASSERT_EQ(names.size(), 1u);
    if (c.expectedUniqueSuffix.isEmpty()) {
        EXPECT_EQ(names[0], c.expectedName);
    } else {
        EXPECT_TRUE(IsUniqueName(names[0], c.expectedName, c.expectedUniqueSuffix))
            << names[0].constData();
    }

    const PictureInfo picture = ReadPicture(destination / names[0]);
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 48);
    const QByteArray wanted = c.chosen.toString().toLower() == "png" ? "png" : "jpeg";
    EXPECT_EQ(picture.format, wanted);
}

INSTANTIATE_TEST_SUITE_P(Cases, Conversion, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::to_string(info.index); });

struct NothingCase {
    const char* what;
    QByteArray name;
    QByteArray content; // empty: a PNG picture
    QVariant chosen;
};

void PrintTo(const NothingCase& c, std::ostream* os)
{
    *os << c.what;
}

const NothingCase kNothing[] = {
    {"a text file", "notes.txt", "just words\n", "jpg"},
    {"a text file named like a picture", ".jpg", "not a picture at all", "jpg"},
    {"an empty file", "empty.png", QByteArray("", 0) + QByteArray(), "jpg"},
    {"an extension no exporter offers", "photo.png", "", "nope"},
    {"an output name past 255 bytes", QByteArray(251, 'w') + ".png", "", "webp"},
};

class NothingHappens : public EngineTest, public ::testing::WithParamInterface<NothingCase>
{
};

TEST_P(NothingHappens, AndNothingIsCreated)
{
    const NothingCase& c = GetParam();
    const QByteArray path = source / c.name;
    if (c.content.isEmpty() && QByteArray(c.what) != "an empty file") {
        ASSERT_TRUE(MakePicture(path, "PNG"));
    } else {
        ASSERT_TRUE(WriteFile(path, c.content));
    }
    const QByteArray original = ReadFile(path);
    choose(c.chosen);
    convert(path);
    EXPECT_TRUE(ListFolder(destination.path()).empty());
    EXPECT_EQ(ReadFile(path), original);
}

INSTANTIATE_TEST_SUITE_P(Cases, NothingHappens, ::testing::ValuesIn(kNothing),
                         [](const auto& info) { return std::to_string(info.index); });

TEST_F(EngineTest, ConvertingIntoTheSourcesOwnFolderLeavesTheSourceAlone)
{
    ASSERT_TRUE(MakePicture(source / "a.jpg", "JPEG"));
    const QByteArray original = ReadFile(source / "a.jpg");
    choose("jpg");
    ProcessFSRef(RefFor(source / "a.jpg"), RefFor(source.path()));
    std::vector<QByteArray> names = ListFolder(source.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(ReadFile(source / "a.jpg"), original);
    const QByteArray made = names[0] == "a.jpg" ? names[1] : names[0];
    EXPECT_TRUE(IsUniqueName(made, "a", ".jpg")) << made.constData();
}

TEST_F(EngineTest, AUniqueNameThatCannotBeFormedCreatesNothing)
{
    // The unique form of a 255-byte name is longer than any name can be.
    const QByteArray name = QByteArray(251, 'u') + ".png";
    ASSERT_TRUE(MakePicture(source / name, "PNG"));
    ASSERT_TRUE(WriteFile(destination / (QByteArray(251, 'u') + ".jpg"), "keep me"));
    choose("jpg");
    convert(source / name);
    EXPECT_EQ(ListFolder(destination.path()).size(), 1u);
    EXPECT_EQ(ReadFile(destination / (QByteArray(251, 'u') + ".jpg")), "keep me");
}

TEST(OutputNames, ReplaceTheExtensionWhereTheNameHasOne)
{
    TempFolder dir;
    struct Case {
        QByteArray name;
        QString extension;
        QString expected; // null: no name can be formed
    };
    const Case cases[] = {
        {"photo.png", "jpg", "photo.jpg"},
        {"archive.tar.png", "jpg", "archive.tar.jpg"},
        {"photo", "jpg", "photo.jpg"},
        {"png.png", "webp", "png.webp"},
        {".hidden", "jpg", ".hidden.jpg"},
        {"trailing.", "jpg", "trailing..jpg"},
        {"Photo.PNG", "JPG", "Photo.JPG"},
        {QByteArray(251, 'x') + ".png", "jpg", QString(251, u'x') + ".jpg"},
        {QByteArray(251, 'x') + ".png", "webp", QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.constData());
        ASSERT_TRUE(WriteFile(dir / c.name, ""));
        const QString made = FilesNameWithNewExtension(RefFor(dir / c.name), c.extension);
        EXPECT_EQ(made.isNull(), c.expected.isNull());
        EXPECT_EQ(made, c.expected);
    }
    FSRef gone = RefFor(dir / "photo.png");
    ASSERT_EQ(::unlink((dir / "photo.png").constData()), 0);
    EXPECT_TRUE(FilesNameWithNewExtension(gone, "jpg").isNull());
}

TEST(DisplayNames, AreMacRomanTextInANewBlock)
{
    TempFolder dir;
    struct Case {
        QByteArray name;
        QByteArray expected;
    };
    const Case cases[] = {
        {"plain.png", "plain.png"},
        {"Caf\xc3\xa9 \xe2\x80\x94 \xe2\x82\xac.png", "Caf\x8e \xd1 \xdb.png"},
        {"\xe6\x97\xa5\xe6\x9c\xac.png", "??.png"},
        {"Cafe\xcc\x81.png", "Caf\x8e.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.constData());
        ASSERT_TRUE(WriteFile(dir / c.name, ""));
        char* text = FSGetObjectName(RefFor(dir / c.name));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(QByteArray(text), c.expected);
        EXPECT_EQ(GetPtrSize(text), Size(c.expected.size() + 1));
        DisposePtr(text);
    }
    FSRef gone = RefFor(dir / "plain.png");
    ASSERT_EQ(::unlink((dir / "plain.png").constData()), 0);
    EXPECT_EQ(FSGetObjectName(gone), nullptr);

    char* empty = nullptr;
    SetASCII_C_CharsFromUnicodeText(&empty, nullptr, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    DisposePtr(empty);
}

} // namespace
