// SPDX-License-Identifier: GPL-3.0-or-later
// The main window at 200% (QT_SCALE_FACTOR=2, what a desktop scaled to 200%
// gives Qt): the application's icon in the drop area is drawn from its SVG
// with twice the pixels, not a 100% picture blown up.
#include "platform/ui/Bundle.h"
#include "platform/ui/DropArea.h"
#include "platform/ui/Windows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>

namespace
{

class HiDpi : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (QCoreApplication::instance())
            return;
        qputenv("QT_SCALE_FACTOR", "2");
        static int argc = 1;
        static char name[] = "hidpi_test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
};

TEST_F(HiDpi, TheDropAreasIconHasAPixelForEveryDevicePixel)
{
    FSRef iconFile;
    ASSERT_TRUE(
        CFURLGetFSRef(CFBundleCopyResourceURL(CFBundleGetMainBundle(), QStringLiteral("Tessaly"),
                                              QStringLiteral("icns"), QString()),
                      &iconFile));
    IconRef icon = nullptr;
    ASSERT_EQ(
        RegisterIconRefFromFSRef(FOUR_CHAR_CODE("Xrbn"), FOUR_CHAR_CODE("APPL"), &iconFile, &icon),
        noErr);
    IBNibRef nib = nullptr;
    ASSERT_EQ(CreateNibReference(QStringLiteral("main"), &nib), noErr);
    WindowRef window = nullptr;
    ASSERT_EQ(CreateWindowFromNib(nib, QStringLiteral("MainWindow"), &window), noErr);
    DisposeNibReference(nib);
    ShowWindow(window);
    auto* area = window->findChild<platform::DropArea*>();
    ASSERT_NE(area, nullptr);
    ASSERT_EQ(area->devicePixelRatioF(), 2.0);

    constexpr int kSize = platform::DropArea::kIconSize;
    const QPixmap pixmap = area->iconPixmap();
    EXPECT_EQ(pixmap.size(), QSize(2 * kSize, 2 * kSize));
    EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(kSize, kSize));

    // The window shows those very pixels: every opaque one of the icon is
    // found unchanged where the icon is drawn.
    const QImage shown = area->grab().toImage();
    ASSERT_EQ(shown.devicePixelRatio(), 2.0);
    const QImage drawn = pixmap.toImage();
    const QPoint at = area->iconRect().topLeft() * 2;
    int compared = 0;
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (qAlpha(drawn.pixel(x, y)) == 255) {
                ++compared;
                differing += shown.pixel(at + QPoint(x, y)) != drawn.pixel(x, y);
            }
    EXPECT_GT(compared, drawn.width() * drawn.height() / 4);
    EXPECT_EQ(differing, 0);

    DisposeWindow(window);
    ReleaseIconRef(icon);
}

} // namespace
