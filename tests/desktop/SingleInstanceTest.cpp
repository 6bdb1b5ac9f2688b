// SPDX-License-Identifier: GPL-3.0-or-later
// One instance per session: real probe processes on a private session bus
// started with dbus-run-session, as a desktop session would have.
#include "platform/desktop/SingleInstance.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <optional>

namespace
{

const QString kAppId = QStringLiteral("com.quorvane.Tessaly");
constexpr int kWaitMs = 20000; // bounds every wait; a healthy run takes milliseconds

// The environment of a probe: no display (so nothing autolaunches a bus),
// and the given bus address, or none at all.
QProcessEnvironment ProbeEnvironment(const std::optional<QString>& busAddress)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    if (busAddress)
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), *busAddress);
    return env;
}

// A running probe whose standard output is read line by line.
class Probe
{
public:
    Probe(const QString& program, const QStringList& args, const QProcessEnvironment& env)
    {
        m_process.setProcessEnvironment(env);
        m_process.start(program, args);
    }
    // A probe ends when its input closes. Closing it lets dbus-run-session
    // take its bus down too, which killing it would leave running.
    ~Probe()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(kWaitMs))
            m_process.kill();
        m_process.waitForFinished(kWaitMs);
        const QByteArray errors = m_process.readAllStandardError();
        if (!errors.isEmpty())
            std::fprintf(stderr, "%s", errors.constData());
    }

    void Send(const char* line)
    {
        m_process.write(QByteArray(line) + '\n');
        m_process.waitForBytesWritten(kWaitMs);
    }

    // The next line of output without its newline; nothing when none came in time.
    std::optional<QString> NextLine()
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine()) {
            const qint64 left = kWaitMs - clock.elapsed();
            if (left <= 0 || !m_process.waitForReadyRead(int(left)))
                return std::nullopt;
        }
        return QString::fromUtf8(m_process.readLine()).chopped(1);
    }

    // The exit status, or -1 when the probe did not end in time.
    int ExitCode()
    {
        if (!m_process.waitForFinished(kWaitMs) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

private:
    QProcess m_process;
};

QString ProbeProgram()
{
    return QStringLiteral(SINGLE_INSTANCE_PROBE);
}

// Runs a forwarding probe to its end: its exit status and its one line.
std::pair<int, QString> Forward(const std::optional<QString>& busAddress, const QString& appId,
                                const QStringList& uris)
{
    Probe probe(ProbeProgram(), QStringList{QStringLiteral("forward"), appId} + uris,
                ProbeEnvironment(busAddress));
    const QString line = probe.NextLine().value_or(QString());
    return {probe.ExitCode(), line};
}

// A primary instance of appId served on a session bus of its own.
class Primary
{
public:
    explicit Primary(const QString& appId)
        : m_probe(QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")),
                  {QStringLiteral("--"), ProbeProgram(), QStringLiteral("serve"), appId},
                  ProbeEnvironment(std::nullopt))
    {
        const std::optional<QString> line = m_probe.NextLine();
        if (line && line->startsWith(u"serving "))
            m_busAddress = line->mid(8);
    }
    const std::optional<QString>& BusAddress() const { return m_busAddress; }
    Probe& probe() { return m_probe; }

private:
    Probe m_probe;
    std::optional<QString> m_busAddress;
};

class SingleInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A machine without the session bus cannot run what these tests are about.
        ASSERT_EQ(testsupport::MissingProgram(QStringLiteral("dbus-run-session"), "dbus"), "");
        ASSERT_EQ(testsupport::MissingProgram(QStringLiteral("dbus-send"), "dbus"), "");
    }
};

TEST(ObjectPathTest, AppIdsBecomeObjectPaths)
{
    const struct {
        QString appId;
        QString path;
    } cases[] = {
        {QStringLiteral("com.quorvane.Tessaly"), QStringLiteral("/com/quorvane/Tessaly")},
        {QStringLiteral("org.example.my-app"), QStringLiteral("/org/example/my_app")},
        {QStringLiteral("org.example.App_2"), QStringLiteral("/org/example/App_2")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::ObjectPathForAppId(c.appId), c.path) << qPrintable(c.appId);
}

TEST_F(SingleInstanceTest, ForwardedUrisArriveInOrderOnTheMainThread)
{
    Primary primary(kAppId);
    ASSERT_TRUE(primary.BusAddress()) << "the first instance did not serve";

    const QStringList firstDrop{QStringLiteral("file:///tmp/b%20picture.png"),
                                QStringLiteral("file:///tmp/a.jpg"),
                                QStringLiteral("file:///tmp/%C3%A9t%C3%A9/")};
    const QStringList secondDrop{QStringLiteral("file:///tmp/z.tif"),
                                 QStringLiteral("file:///tmp/c.webp")};
    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, firstDrop),
              std::make_pair(0, QStringLiteral("forwarded")));
    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, secondDrop),
              std::make_pair(0, QStringLiteral("forwarded")));

    for (const QString& uri : firstDrop + secondDrop)
        EXPECT_EQ(primary.probe().NextLine(),
                  QStringLiteral("open ") + uri + QStringLiteral(" main"));

    // A launch without items asks the running instance to come forward.
    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, {}),
              std::make_pair(0, QStringLiteral("forwarded")));
    EXPECT_EQ(primary.probe().NextLine(), QStringLiteral("activate"));
    EXPECT_EQ(primary.probe().ExitCode(), 0);
}

TEST_F(SingleInstanceTest, TheServedInterfaceIsTheFreedesktopOne)
{
    Primary primary(kAppId);
    ASSERT_TRUE(primary.BusAddress()) << "the first instance did not serve";

    // Asked by a client that is not ours, at the path desktops derive from the id.
    QProcess introspect;
    introspect.setProcessEnvironment(ProbeEnvironment(primary.BusAddress()));
    introspect.start(QStringLiteral("dbus-send"),
                     {QStringLiteral("--session"), QStringLiteral("--print-reply=literal"),
                      QStringLiteral("--dest=") + kAppId, QStringLiteral("/com/quorvane/Tessaly"),
                      QStringLiteral("org.freedesktop.DBus.Introspectable.Introspect")});
    ASSERT_TRUE(introspect.waitForFinished(kWaitMs));
    const QString xml = QString::fromUtf8(introspect.readAllStandardOutput());
    EXPECT_TRUE(xml.contains(u"<interface name=\"org.freedesktop.Application\">"))
        << qPrintable(xml);
    for (const char* method : {"Open", "Activate", "ActivateAction"})
        EXPECT_TRUE(xml.contains(QStringLiteral("<method name=\"%1\">").arg(QLatin1String(method))))
            << method;
    EXPECT_TRUE(xml.contains(u"<arg name=\"uris\" type=\"as\" direction=\"in\"/>"))
        << qPrintable(xml);
    EXPECT_TRUE(xml.contains(u"type=\"a{sv}\"")) << qPrintable(xml);
}

TEST_F(SingleInstanceTest, ATakenNameIsNotServedTwice)
{
    Primary primary(kAppId);
    ASSERT_TRUE(primary.BusAddress()) << "the first instance did not serve";

    Probe second(ProbeProgram(), {QStringLiteral("serve"), kAppId},
                 ProbeEnvironment(primary.BusAddress()));
    EXPECT_EQ(second.NextLine(), QStringLiteral("not serving"));
    EXPECT_EQ(second.ExitCode(), 3);

    // The same bus serves another name: it is the name that was taken.
    Probe other(ProbeProgram(), {QStringLiteral("serve"), QStringLiteral("org.example.Other")},
                ProbeEnvironment(primary.BusAddress()));
    const std::optional<QString> line = other.NextLine();
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->startsWith(u"serving ")) << qPrintable(*line);

    // The first instance still gets what is forwarded.
    const QStringList uris{QStringLiteral("file:///tmp/one.png")};
    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, uris),
              std::make_pair(0, QStringLiteral("forwarded")));
    EXPECT_EQ(primary.probe().NextLine(), QStringLiteral("open file:///tmp/one.png main"));
}

// An instance about to end takes no hand-over: a launch then runs on its own
// instead of being told that items it handed over are taken.
TEST_F(SingleInstanceTest, AnInstanceThatStoppedTakingHandOversRefusesThem)
{
    Primary primary(kAppId);
    ASSERT_TRUE(primary.BusAddress()) << "the first instance did not serve";
    const QString before = QStringLiteral("file:///tmp/before.png");
    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, {before}),
              std::make_pair(0, QStringLiteral("forwarded")));
    // What was taken reaches the instance by the time stopping returns.
    primary.probe().Send("stop");
    EXPECT_EQ(primary.probe().NextLine(), QStringLiteral("open ") + before + " main");
    EXPECT_EQ(primary.probe().NextLine(), QStringLiteral("stopped"));

    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, {QStringLiteral("file:///tmp/during.png")}),
              std::make_pair(1, QStringLiteral("not forwarded")));
    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, {}),
              std::make_pair(1, QStringLiteral("not forwarded")));
    // The name is free: the next launch can serve it.
    {
        Probe next(ProbeProgram(), {QStringLiteral("serve"), kAppId},
                   ProbeEnvironment(primary.BusAddress()));
        const std::optional<QString> line = next.NextLine();
        ASSERT_TRUE(line);
        EXPECT_TRUE(line->startsWith(u"serving ")) << qPrintable(*line);
    }

    // Staying after all, it serves again.
    primary.probe().Send("again");
    EXPECT_EQ(primary.probe().NextLine(), QStringLiteral("serving again"));
    const QString after = QStringLiteral("file:///tmp/after.png");
    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, {after}),
              std::make_pair(0, QStringLiteral("forwarded")));
    EXPECT_EQ(primary.probe().NextLine(), QStringLiteral("open ") + after + " main");
}

TEST_F(SingleInstanceTest, NothingIsForwardedWhereNoInstanceRuns)
{
    Primary primary(QStringLiteral("org.example.Other"));
    ASSERT_TRUE(primary.BusAddress()) << "the bus did not come up";
    EXPECT_EQ(Forward(primary.BusAddress(), kAppId, {QStringLiteral("file:///tmp/a.png")}),
              std::make_pair(1, QStringLiteral("not forwarded")));
}

TEST_F(SingleInstanceTest, WithoutABusBothCallsGiveUp)
{
    const struct {
        const char* name;
        std::optional<QString> address;
    } buses[] = {
        {"socket that does not exist", QStringLiteral("unix:path=/nonexistent/tessaly-bus")},
        {"address that does not parse", QStringLiteral("no bus here")},
    };
    for (const auto& bus : buses) {
        SCOPED_TRACE(bus.name);
        EXPECT_EQ(Forward(bus.address, kAppId, {QStringLiteral("file:///tmp/a.png")}),
                  std::make_pair(1, QStringLiteral("not forwarded")));
        Probe serve(ProbeProgram(), {QStringLiteral("serve"), kAppId},
                    ProbeEnvironment(bus.address));
        EXPECT_EQ(serve.NextLine(), QStringLiteral("not serving"));
        EXPECT_EQ(serve.ExitCode(), 3);
    }
}

} // namespace
