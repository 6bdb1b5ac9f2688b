// SPDX-License-Identifier: GPL-3.0-or-later
// Drags over the main window and drops on it, through Qt's own drag events.
#include "ShellFixture.h"

#include "app/shell/DragHandlers.h"
#include "platform/ui/DropArea.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <functional>
#include <unistd.h>

using namespace shelltest;

namespace
{

QMimeData* mimeOf(const QList<QUrl>& urls, const QString& text = {})
{
    auto* mime = new QMimeData;
    if (!urls.isEmpty())
        mime->setUrls(urls);
    if (!text.isEmpty())
        mime->setText(text);
    return mime;
}

QUrl fileUrl(const QByteArray& path)
{
    return QUrl::fromLocalFile(QString::fromUtf8(path));
}

class Drag : public ShellTest
{
protected:
    bool hilited() const
    {
        auto* area = gWindow->findChild<platform::DropArea*>();
        return area && area->isHilited();
    }
    // The items of the dropped list, as paths, once the drop was handled.
    QList<QByteArray> droppedItems()
    {
        QList<QByteArray> paths;
        long count = 0;
        AECountItems(&gDescList, &count);
        for (long i = 1; i <= count; ++i) {
            FSRef ref;
            if (AEGetNthPtr(&gDescList, i, typeFSRef, nullptr, nullptr, &ref, sizeof ref,
                            nullptr) == noErr)
                paths << testsupport::PathFor(ref);
        }
        return paths;
    }
};

TEST_F(Drag, FilesAndFoldersAreAcceptedAndHighlighted)
{
    testsupport::MakeFolder(source / "folder");
    testsupport::WriteFile(source / "file.txt", "x");
    std::unique_ptr<QMimeData> mime(
        mimeOf({fileUrl(source / "folder"), fileUrl(source / "file.txt")}));
    EXPECT_TRUE(enter(mime.get()));
    EXPECT_TRUE(gHasAcceptableDrag);
    EXPECT_TRUE(hilited());
    leave();
    EXPECT_FALSE(hilited());
}

TEST_F(Drag, WhatIsNotAnExistingItemIsRefused)
{
    struct Case {
        const char* what;
        QList<QUrl> urls;
        QString text;
    } cases[] = {
        {"text", {}, QStringLiteral("some text")},
        {"web address", {QUrl(QStringLiteral("https://example.org/a.png"))}, {}},
        {"item that no longer exists", {fileUrl(source / "gone.png")}, {}},
    };
    for (const Case& c : cases) {
        const int before = HandledDrops();
        std::unique_ptr<QMimeData> mime(mimeOf(c.urls, c.text));
        EXPECT_FALSE(enter(mime.get())) << c.what;
        EXPECT_FALSE(hilited()) << c.what;
        EXPECT_FALSE(drop(mime.get())) << c.what;
        // Qt only delivers a drop where the drag was taken on entering; the
        // receiver refuses such a drop by itself as well.
        DragRef drag = platform::NewDragFor(mime.get(), gWindow);
        EXPECT_EQ(DragReceiver(gWindow, nullptr, drag), dragNotAcceptedErr) << c.what;
        platform::DisposeDrag(drag);
        WaitUntil([] { return false; }, 50);
        EXPECT_EQ(HandledDrops(), before) << c.what;
    }
}

TEST_F(Drag, TrackingAnswersEachMessageWithItsStatus)
{
    testsupport::WriteFile(source / "file.txt", "x");
    std::unique_ptr<QMimeData> file(mimeOf({fileUrl(source / "file.txt")}));
    std::unique_ptr<QMimeData> text(mimeOf({}, QStringLiteral("some text")));
    struct Case {
        const char* what;
        QMimeData* mime;
        DragTrackingMessage message;
        OSErr expected;
    } cases[] = {
        {"file entering", file.get(), kDragTrackingEnterHandler, noErr},
        {"text entering", text.get(), kDragTrackingEnterHandler, dragNotAcceptedErr},
        {"entering the window", file.get(), kDragTrackingEnterWindow, noErr},
        {"moving in the window", file.get(), kDragTrackingInWindow, paramErr},
        {"leaving the window", file.get(), kDragTrackingLeaveWindow, noErr},
        {"leaving the handler", file.get(), kDragTrackingLeaveHandler, noErr},
        {"unknown message", file.get(), DragTrackingMessage(9), paramErr},
    };
    for (const Case& c : cases) {
        DragRef drag = platform::NewDragFor(c.mime, gWindow);
        EXPECT_EQ(DragTracker(c.message, gWindow, nullptr, drag), c.expected) << c.what;
        platform::DisposeDrag(drag);
    }
    // A refused drag is not highlighted when it enters the window.
    DragRef drag = platform::NewDragFor(text.get(), gWindow);
    DragTracker(kDragTrackingEnterHandler, gWindow, nullptr, drag);
    DragTracker(kDragTrackingEnterWindow, gWindow, nullptr, drag);
    EXPECT_FALSE(hilited());
    platform::DisposeDrag(drag);
}

TEST_F(Drag, ADropIsOneEventWithItsItemsInDragOrder)
{
    chooserAnswer.clear(); // the batch is cancelled: the list stays to look at
    testsupport::MakeFolder(source / "a folder");
    testsupport::WriteFile(source / "z.png", "z");
    testsupport::WriteFile(source / "b.png", "b");
    const int before = HandledDrops();
    std::unique_ptr<QMimeData> mime(
        mimeOf({fileUrl(source / "z.png"), QUrl(QStringLiteral("https://example.org/x")),
                fileUrl(source / "a folder"), fileUrl(source / "b.png")}));
    EXPECT_TRUE(enter(mime.get()));
    EXPECT_TRUE(drop(mime.get()));
    EXPECT_FALSE(hilited());
    ASSERT_TRUE(WaitUntil([&] { return HandledDrops() == before + 1 && !BatchPending(); }));
    EXPECT_EQ(droppedItems(),
              (QList<QByteArray>{source / "z.png", source / "a folder", source / "b.png"}));
}

TEST_F(Drag, ADropOnTheWindowConvertsAsADropOnTheIcon)
{
    storeCopyTo(destination.path());
    MakePicture(source / "photo.png");
    std::unique_ptr<QMimeData> mime(mimeOf({fileUrl(source / "photo.png")}));
    const int before = HandledDrops();
    ASSERT_TRUE(enter(mime.get()));
    ASSERT_TRUE(drop(mime.get()));
    ASSERT_TRUE(WaitUntil([&] { return HandledDrops() == before + 1 && !BatchPending(); }));
    EXPECT_EQ(fileMessages(), QStringList{"File: photo.png"});
    EXPECT_EQ(testsupport::ListFolder(destination.path()), std::vector<QByteArray>{"photo.jpg"});
}

TEST_F(Drag, UriListBytesReachNamesThatAreNotUtf8)
{
    // File managers escape every byte of such a name in the list they drop;
    // the drop must find the file by exactly those bytes.
    storeCopyTo(destination.path());
    MakePicture(source / "caf\xe9.png");
    MakePicture(source / "x\xff.png");
    testsupport::MakeFolder(source / "d\xe9j\xe0");
    MakePicture(source / "d\xe9j\xe0/inner.png");
    const QByteArray folder = source.path().toPercentEncoding("/");
    const QByteArray list =
        QByteArrayList{"# dropped by a file manager", "file://" + folder + "/caf%E9.png",
                       "file://localhost" + folder + "/x%ff.png", "file://" + folder + "/d%E9j%E0",
                       ""}
            .join("\r\n");
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QStringLiteral("text/uri-list"), list);
    const int before = HandledDrops();
    EXPECT_TRUE(enter(mime.get()));
    ASSERT_TRUE(drop(mime.get()));
    ASSERT_TRUE(WaitUntil([&] { return HandledDrops() == before + 1 && !BatchPending(); }));
    EXPECT_EQ(fileMessages().size(), 3);
    EXPECT_EQ(testsupport::ListFolder(destination.path()),
              (std::vector<QByteArray>{"caf\xe9.jpg", "inner.jpg", "x\xff.jpg"}));
}

TEST_F(Drag, ADroppedLinkToAFolderIsThatFolder)
{
    // The folder holds a picture and a link to another folder, which the
    // walk keeps as an item of its own: the pictures behind it stay alone.
    testsupport::MakeFolder(source / "real");
    MakePicture(source / "real/a.png");
    testsupport::MakeFolder(source / "elsewhere");
    MakePicture(source / "elsewhere/not-walked.png");
    ASSERT_EQ(::symlink("../elsewhere", (source / "real/inner link").constData()), 0);
    ASSERT_EQ(::symlink("real", (source / "folderlink").constData()), 0);
    ASSERT_EQ(::symlink("folderlink", (source / "link to link").constData()), 0);
    const QByteArray uri = "file://" + (source / "folderlink").toPercentEncoding("/");
    struct Case {
        const char* what;
        std::function<bool()> give;
    } cases[] = {
        {"launch", [&] { return dropAndWait({QString::fromUtf8(source / "folderlink")}); }},
        {"launch, link to a link",
         [&] { return dropAndWait({QString::fromUtf8(source / "link to link")}); }},
        {"window",
         [&] {
             QMimeData mime;
             mime.setData(QStringLiteral("text/uri-list"), uri + "\r\n");
             const int before = HandledDrops();
             return enter(&mime) && drop(&mime) &&
                    WaitUntil([&] { return HandledDrops() > before && !BatchPending(); });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray into = freshCopyTo(c.what);
        ASSERT_TRUE(c.give());
        EXPECT_EQ(fileMessages(), (QStringList{"File: a.png", "File: inner link"}));
        EXPECT_EQ(shown(2), (QStringList{"(1 of 2)", "(2 of 2)"}));
        EXPECT_EQ(testsupport::ListFolder(into), std::vector<QByteArray>{"a.jpg"});
    }
}

TEST_F(Drag, SendingNothingIsRefused)
{
    EXPECT_EQ(SendOpenDocAppleEventToSelf(0, nullptr), paramErr);
    FSSpec spec{};
    EXPECT_EQ(SendOpenDocAppleEventToSelf(0, &spec), paramErr);
}

} // namespace
