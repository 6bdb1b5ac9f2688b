// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's drop area as it is drawn: a dashed frame whose inside
// the highlight fills while files hover, in the colours of the palette the
// desktop gives, light or dark. Judged by the pixels of the real window.
#include "ShellFixture.h"

#include "platform/ui/DropArea.h"

#include <QAccessible>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <functional>

using namespace shelltest;

namespace
{

QPalette darkPalette()
{
    QPalette dark;
    const struct {
        QPalette::ColorRole role;
        QColor colour;
    } roles[] = {
        {QPalette::Window, QColor(0x2b, 0x2d, 0x30)},
        {QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6)},
        {QPalette::Base, QColor(0x1e, 0x1f, 0x22)},
        {QPalette::Text, QColor(0xe6, 0xe6, 0xe6)},
        {QPalette::Button, QColor(0x3a, 0x3c, 0x40)},
        {QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6)},
        {QPalette::Highlight, QColor(0x35, 0x74, 0xf0)},
        {QPalette::HighlightedText, QColor(0xff, 0xff, 0xff)},
    };
    for (const auto& [role, colour] : roles)
        dark.setColor(role, colour);
    return dark;
}

class DropAreaTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        area = gWindow->findChild<platform::DropArea*>();
        ASSERT_NE(area, nullptr);
    }
    void TearDown() override
    {
        gWindow->setPalette(QPalette());
        ShellTest::TearDown();
    }

    // Inside the frame, left of every control the layout places there.
    QColor inside() const { return area->grab().toImage().pixelColor(6, area->height() / 2); }
    // How many separate stretches of the frame's top edge differ from the
    // colour inside: one for a solid line, many for a dashed one.
    int dashesOnTopEdge() const
    {
        const QImage image = area->grab().toImage();
        const QColor fill = image.pixelColor(6, image.height() / 2);
        int dashes = 0;
        bool inDash = false;
        for (int x = 20; x < image.width() - 20; ++x) {
            const bool border = image.pixelColor(x, 1) != fill;
            dashes += border && !inDash;
            inDash = border;
        }
        return dashes;
    }

    platform::DropArea* area = nullptr;
};

TEST_F(DropAreaTest, HoveringFilesFillTheFrameUntilTheyLeaveOrAreDropped)
{
    storeCopyTo(destination.path());
    testsupport::WriteFile(source / "notes.txt", "not a picture");
    const QColor highlight = area->palette().color(QPalette::Highlight);
    const QColor idle = inside();
    ASSERT_NE(idle, highlight);
    EXPECT_GE(dashesOnTopEdge(), 10);

    QMimeData text;
    text.setText(QStringLiteral("some text"));
    EXPECT_FALSE(enter(&text));
    EXPECT_EQ(inside(), idle) << "a refused drag is not highlighted";

    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QString::fromUtf8(source / "notes.txt"))});
    struct Case {
        const char* what;
        std::function<void()> end;
        int drops;
    } cases[] = {
        {"leave", [&] { leave(); }, 0},
        {"drop", [&] { drop(&file); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = HandledDrops();
        ASSERT_TRUE(enter(&file));
        EXPECT_EQ(inside(), highlight);
        EXPECT_EQ(dashesOnTopEdge(), 0) << "the highlight fills the frame to its edge";
        c.end();
        EXPECT_EQ(inside(), idle);
        EXPECT_GE(dashesOnTopEdge(), 10);
        ASSERT_TRUE(
            WaitUntil([&] { return HandledDrops() == before + c.drops && !BatchPending(); }));
    }
}

TEST_F(DropAreaTest, FollowsTheDesktopsLightOrDarkPalette)
{
    struct Case {
        const char* what;
        QPalette palette;
        bool dark;
    } cases[] = {
        {"light", QApplication::palette(), false},
        {"dark", darkPalette(), true},
    };
    testsupport::WriteFile(source / "notes.txt", "x");
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QString::fromUtf8(source / "notes.txt"))});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // What a change of the desktop's scheme gives every window; set on
        // the window, as the application's palette only spreads to the
        // widgets from within a running event loop.
        gWindow->setPalette(c.palette);
        const QColor background = inside();
        EXPECT_EQ(background.lightness() < 100, c.dark) << background.name().toStdString();
        EXPECT_GE(dashesOnTopEdge(), 10) << "the frame shows on its background";
        ASSERT_TRUE(enter(&file));
        EXPECT_EQ(inside(), c.palette.color(QPalette::Highlight));
        leave();
    }
}

TEST_F(DropAreaTest, AssistiveToolsNameAndDescribeIt)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(area);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty());
    EXPECT_FALSE(accessible->text(QAccessible::Description).isEmpty());
}

} // namespace
