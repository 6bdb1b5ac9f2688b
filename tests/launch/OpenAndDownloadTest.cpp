// SPDX-License-Identifier: GPL-3.0-or-later
// Opening items and the help page through a recording xdg-open placed first
// on PATH, and downloading from an HTTP server on the loopback address.
#include "pane/ItemHelpers.h"
#include "pane/TessalyCMPrefPane.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLocale>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <sys/stat.h>
#include <thread>

using namespace testsupport;

namespace
{

// A stand-in for the desktop's opener: it writes each argument on a line of
// its own into a record file.
class RecordingOpener : public ::testing::Test
{
protected:
    TempFolder bin;
    QByteArray savedPath = qgetenv("PATH");
    void SetUp() override
    {
        ASSERT_TRUE(WriteFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" +
                                                    bin.path() + "/record.part'\nmv '" +
                                                    bin.path() + "/record.part' '" + bin.path() +
                                                    "/record'\n"));
        ASSERT_EQ(::chmod((bin / "xdg-open").constData(), 0755), 0);
        qputenv("PATH", bin.path() + ':' + savedPath);
    }
    void TearDown() override { qputenv("PATH", savedPath); }

    // What the opener was given, once it has run; empty after 10 s.
    QByteArray Recorded()
    {
        QDeadlineTimer deadline(10000);
        while (!Exists(bin / "record") && !deadline.hasExpired())
            QThread::msleep(20);
        return ReadFile(bin / "record");
    }
    // Waits a moment for an opener that should not run.
    bool NothingRecorded()
    {
        QThread::msleep(300);
        return !Exists(bin / "record") && !Exists(bin / "record.part");
    }
};

TEST_F(RecordingOpener, LaunchPathOpensTheItemWithTheDesktop)
{
    EXPECT_EQ(LaunchPath(QStringLiteral("/srv/pictures/summer trip.jpg")), noErr);
    EXPECT_EQ(Recorded(), "/srv/pictures/summer trip.jpg\n");
}

TEST_F(RecordingOpener, LaunchPathAnswersZeroWhenThereIsNothingToOpen)
{
    EXPECT_EQ(LaunchPath(QString()), noErr);
    EXPECT_EQ(LaunchPath(QStringLiteral("relative/name.jpg")), noErr);
    EXPECT_TRUE(NothingRecorded());
    // A desktop without any opener.
    qputenv("PATH", bin.path() + "/nowhere");
    EXPECT_EQ(LaunchPath(QStringLiteral("/srv/x.jpg")), noErr);
}

TEST_F(RecordingOpener, TheHelpButtonOpensTheProductPage)
{
    TempFolder config;
    qputenv("XDG_CONFIG_HOME", config.path());
    TessalyCMPrefPane pane;
    std::unique_ptr<QWidget> view(pane.mainView());
    ASSERT_NE(view, nullptr);
    pane.mainViewDidLoad();
    auto* help = view->findChild<QAbstractButton*>(QStringLiteral("helpButton"));
    ASSERT_NE(help, nullptr);
    help->click();
    const QByteArray opened = Recorded();
    EXPECT_TRUE(opened.startsWith("https://")) << opened.constData();
    EXPECT_TRUE(opened.endsWith("/Utilities/Tessaly.html\n")) << opened.constData();
}

// An HTTP server on 127.0.0.1 in a thread of its own (the download blocks
// the test's thread). Each path has a body; "/count" answers how many
// requests it has had, so a cached answer would show.
class HttpServer
{
public:
    HttpServer()
    {
        m_bodies["/utf8"] = QByteArray("Gr\xc3\xbc\xc3\x9f"
                                       "e, \xe4\xb8\x96\xe7\x95\x8c");
        m_bodies["/roman"] = QByteArray("caf\x8e \xa5 na\x95ve");
        m_bodies["/empty"] = QByteArray();
        std::atomic<int> port{0};
        m_thread = std::thread([this, &port] { serve(port); });
        while (port == 0)
            std::this_thread::yield();
        m_port = port;
    }
    ~HttpServer()
    {
        m_stop = true;
        m_thread.join();
    }
    QString url(const char* path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1String(path));
    }

private:
    void serve(std::atomic<int>& port)
    {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, 0)) {
            port = -1;
            return;
        }
        port = server.serverPort();
        int requests = 0;
        while (!m_stop) {
            if (!server.waitForNewConnection(50))
                continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            QByteArray request;
            QDeadlineTimer deadline(5000);
            while (!request.contains("\r\n\r\n") && !deadline.hasExpired() &&
                   socket->waitForReadyRead(100))
                request += socket->readAll();
            const QByteArray path = request.split(' ').value(1);
            ++requests;
            QByteArray status = "200 OK";
            QByteArray body;
            if (path == "/count")
                body = QByteArray::number(requests);
            else if (m_bodies.count(path))
                body = m_bodies.at(path);
            else
                status = "404 Not Found", body = "no such page";
            socket->write("HTTP/1.1 " + status +
                          "\r\nContent-Type: text/plain\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->waitForBytesWritten(5000);
            socket->disconnectFromHost();
            if (socket->state() != QAbstractSocket::UnconnectedState)
                socket->waitForDisconnected(1000);
        }
    }

    std::map<QByteArray, QByteArray> m_bodies;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    int m_port = 0;
};

TEST(DownloadURL, DecodesUTF8ElseMacRomanAndFailsWithoutData)
{
    HttpServer server;
    const int closedPort = [] {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return int(probe.serverPort());
    }();
    struct Case {
        const char* why;
        QString url;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"UTF-8 text", server.url("/utf8"),
         QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                           "e, \xe4\xb8\x96\xe7\x95\x8c")},
        {"bytes that are not UTF-8 read as Mac OS Roman", server.url("/roman"),
         QString::fromUtf8("caf\xc3\xa9 \xe2\x80\xa2 na\xc3\xafve")},
        {"an empty body", server.url("/empty"), QString()},
        {"a page that does not exist", server.url("/missing"), std::nullopt},
        {"a closed port", QStringLiteral("http://127.0.0.1:%1/utf8").arg(closedPort), std::nullopt},
        {"text that is not a URL", QStringLiteral("http://127.0.0.1/a page"), std::nullopt},
        {"no text", QString(), std::nullopt},
        {"a relative URL", QStringLiteral("utf8"), std::nullopt},
        {"a scheme nobody serves", QStringLiteral("gopher://127.0.0.1/x"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::optional<QString> text = DownloadURL(c.url);
        ASSERT_EQ(text.has_value(), c.expected.has_value());
        if (text) {
            EXPECT_EQ(*text, *c.expected);
        }
    }
}

TEST(DownloadURL, EachCallFetchesAgain)
{
    HttpServer server;
    const auto first = DownloadURL(server.url("/count"));
    const auto second = DownloadURL(server.url("/count"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->toInt(), first->toInt() + 1);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The order of names follows the user's locale; the tests expect English.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
