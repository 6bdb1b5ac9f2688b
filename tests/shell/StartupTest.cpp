// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up's bundle look-ups and what the interface file must hold.
#include "ShellFixture.h"

#include "app/shell/Startup.h"
#include "platform/text/TextEncoding.h"
#include "platform/ui/Windows.h"

#include <QApplication>
#include <QFileInfo>

using namespace shelltest;

namespace
{

class Startup : public ShellTest
{
};

TEST_F(Startup, BundleResourcesAreFoundBesideTheProgram)
{
    const QString bundle = platform::BundleResourcesPath();
    ASSERT_TRUE(QFileInfo(bundle + QStringLiteral("/main/MainWindow.ui")).isFile())
        << bundle.toStdString();
    FSRef ref;
    const bool hasIcon = QFileInfo(bundle + QStringLiteral("/tessaly.svg")).isFile();
    EXPECT_EQ(bool(MakeFSRefForBundleResource("Tessaly", "icns", &ref)), hasIcon);
    if (hasIcon) {
        EXPECT_EQ(testsupport::PathFor(ref),
                  QFileInfo(bundle + "/tessaly.svg").absoluteFilePath().toUtf8());
        IconRef icon = nullptr;
        EXPECT_EQ(GetIconRefForResource("Tessaly", FOUR_CHAR_CODE("APPL"), &icon), noErr);
        EXPECT_FALSE(QApplication::windowIcon().isNull());
        EXPECT_EQ(ReleaseIconRef(icon), noErr);
    }
    EXPECT_FALSE(MakeFSRefForBundleResource("NoSuchResource", "icns", &ref));
    EXPECT_EQ(GetIconRefForResource("NoSuchResource", FOUR_CHAR_CODE("APPL"), nullptr), fnfErr);
}

TEST_F(Startup, MissingInterfaceObjectsAreReportedWithTheirError)
{
    IBNibRef nib = nullptr;
    EXPECT_EQ(CreateNibReference(QStringLiteral("nosuchnib"), &nib),
              kIBCarbonRuntimeCantFindNibFile);
    EXPECT_EQ(nib, nullptr);
    ASSERT_EQ(CreateNibReference(QStringLiteral("main"), &nib), noErr);
    WindowRef window = nullptr;
    EXPECT_EQ(CreateWindowFromNib(nib, QStringLiteral("NoSuchWindow"), &window),
              kIBCarbonRuntimeCantFindObject);
    EXPECT_EQ(window, nullptr);
    // The menu bar is not a window's interface object, nor a window a menu bar.
    EXPECT_EQ(SetMenuBarFromNib(nib, QStringLiteral("PreferencesWindow")),
              kIBCarbonRuntimeObjectNotOfRequestedType);
    DisposeNibReference(nib);
}

TEST_F(Startup, IdleProcedureNeverCancelsAWait)
{
    SInt32 sleep = 0;
    EXPECT_FALSE(MyAEIdleProc(nullptr, &sleep, nullptr));
    EXPECT_EQ(sleep, 10);
}

TEST_F(Startup, LaunchItemsBecomeFileUrisInTheirOrder)
{
    testsupport::WriteFile(source / "b c.png", "x");
    const QString plain = QString::fromUtf8(source / "b c.png");
    const QString uri = QStringLiteral("file://") + QString::fromUtf8(source.path()) + "/a";
    EXPECT_EQ(
        UrisOfItems({plain, uri}),
        (QStringList{QStringLiteral("file://") + QString::fromUtf8(source.path()) + "/b%20c.png",
                     uri}));
    // Items that name nothing are left out; nothing left is refused.
    EXPECT_EQ(SendItemsToSelf({QString::fromUtf8(source / "missing.png")}), paramErr);
}

TEST_F(Startup, LaunchItemsWhoseNamesAreNotUtf8KeepTheirBytes)
{
    // A Latin-1 name and a name with a byte that no encoding gives, each as
    // a path (as main reads its arguments) and as an escaped file URI.
    const QByteArray latin1 = "caf\xe9.png", stray = "x\xff.png";
    MakePicture(source / latin1);
    MakePicture(source / stray);
    const QByteArray escapedFolder = "file://" + source.path().toPercentEncoding("/");
    const QStringList paths{NameFromBytes(source / latin1), NameFromBytes(source / stray)};
    const QStringList uris{QString::fromLatin1(escapedFolder + "/caf%E9.png"),
                           QString::fromLatin1(escapedFolder + "/x%FF.png")};
    // What a second launch hands over reaches the same bytes.
    EXPECT_EQ(UrisOfItems(paths), uris);
    EXPECT_EQ(UrisOfItems(uris), uris);

    const struct {
        const char* form;
        QStringList items;
    } launches[] = {{"paths", paths}, {"uris", uris}};
    for (const auto& launch : launches) {
        SCOPED_TRACE(launch.form);
        const QByteArray into = destination / launch.form;
        ASSERT_TRUE(testsupport::MakeFolder(into));
        storeCopyTo(into);
        messages.clear();
        ASSERT_TRUE(dropAndWait(launch.items));
        EXPECT_EQ(fileMessages().size(), 2);
        EXPECT_EQ(testsupport::ListFolder(into),
                  (std::vector<QByteArray>{"caf\xe9.jpg", "x\xff.jpg"}));
    }
}

} // namespace
