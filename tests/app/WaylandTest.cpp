// SPDX-License-Identifier: GPL-3.0-or-later
// The programs as clients of a real Wayland compositor: Weston's headless
// back end, in a runtime folder of its own. Most desktops run a Wayland
// session; there Qt talks to the compositor, not to an X server.
#include "app/engine/Settings.h"
#include "platform/files/Files.h"
#include "platform/graphics/testing/TestPictures.h"
#include "platform/memory/Memory.h"
#include "platform/prefs/PropertyList.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <sys/stat.h>

using namespace testsupport;

namespace
{

constexpr const char* kSocket = "tessaly-test";

class HeadlessWeston
{
public:
    HeadlessWeston()
    {
        // Clients want a runtime folder only its owner may enter.
        ::chmod(m_runtime.path().constData(), 0700);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromUtf8(m_runtime.path()));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("weston"),
                        {QStringLiteral("--backend=headless-backend.so"),
                         QStringLiteral("--socket=") + QLatin1String(kSocket),
                         QStringLiteral("--idle-time=0"), QStringLiteral("--no-config")});
        for (int i = 0; i < 200 && m_process.state() != QProcess::NotRunning; ++i) {
            if (QFile::exists(QString::fromUtf8(m_runtime / kSocket))) {
                m_running = true;
                return;
            }
            m_process.waitForReadyRead(50);
        }
    }
    ~HeadlessWeston()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }

    bool running() const { return m_running; }
    QByteArray log() { return m_process.readAll(); }

    // What a client of this compositor runs with.
    QProcessEnvironment clientEnvironment(const QByteArray& config) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QLatin1String(kSocket));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromUtf8(m_runtime.path()));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromUtf8(config));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        return environment;
    }

private:
    TempFolder m_runtime;
    QProcess m_process;
    bool m_running = false;
};

struct Outcome {
    bool finished = false;
    int exitCode = -1;
    QByteArray err;
};

Outcome RunClient(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Outcome outcome;
    outcome.finished = process.waitForStarted(10000) && process.waitForFinished(120000);
    if (!outcome.finished) {
        process.kill();
        process.waitForFinished();
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.err = process.readAllStandardError();
    return outcome;
}

class Wayland : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(MissingProgram(QStringLiteral("weston"), "weston"), "");
        ASSERT_EQ(MissingProgram(QStringLiteral("dbus-run-session"), "dbus"), "");
        if (!weston.running())
            GTEST_SKIP() << "Weston's headless compositor does not start on this machine:\n"
                         << weston.log().constData();
        ::setenv("XDG_CONFIG_HOME", config.path().constData(), 1);
    }

    HeadlessWeston weston;
    TempFolder config;
    TempFolder source;
    TempFolder output;
};

TEST_F(Wayland, ADroppedFolderIsConvertedAndTheProgramQuitsByItself)
{
    const FSRef ref = RefFor(output.path());
    AliasHandle alias = nullptr;
    ASSERT_EQ(FSNewAlias(nullptr, &ref, &alias), noErr);
    WriteSetting(kCopyToLocationSetting, QByteArray(*alias, qsizetype(GetHandleSize(alias))));
    DisposeHandle(alias);
    WriteSetting(kCopyToSetting, true);
    ASSERT_TRUE(MakeFolder(source / "trip"));
    for (const char* name : {"beach.png", "market.webp", "lights.tif"}) {
        const QByteArray suffix = QByteArray(name).mid(QByteArray(name).lastIndexOf('.') + 1);
        ASSERT_EQ(platform::testing::WriteTestPicture(source / "trip/" + name, suffix, 64, 48),
                  noErr);
    }

    // A session bus of its own, as a desktop session has.
    const Outcome run = RunClient(QStringLiteral("dbus-run-session"),
                                  {QStringLiteral("--"), QStringLiteral(TESSALY_EXECUTABLE),
                                   QString::fromUtf8(source / "trip")},
                                  weston.clientEnvironment(config.path()));
    ASSERT_TRUE(run.finished) << "did not quit by itself\n" << run.err.constData();
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(ListFolder(output.path()),
              (std::vector<QByteArray>{"beach.jpg", "lights.jpg", "market.jpg"}));
    // The goodbye does not try to fade what the compositor owns.
    EXPECT_FALSE(run.err.contains("opacity")) << run.err.constData();
}

TEST_F(Wayland, ThePreferencesHostShowsTheSizesPaneAndCloses)
{
    // A list of the wrong kind: the pane, once shown and hidden again, has
    // read it and written the empty list it made of it.
    const QByteArray store = config / "com.quorvane.TessalyCM.plist";
    ASSERT_TRUE(
        WriteFile(store, tessaly::prefs::serializePropertyList(
                             {{QStringLiteral("Array Sizes"), QStringLiteral("640x480")}})));
    const Outcome run = RunClient(QStringLiteral(TESSALY_PREFERENCES_EXECUTABLE),
                                  {QStringLiteral("--close-after"), QStringLiteral("500")},
                                  weston.clientEnvironment(config.path()));
    ASSERT_TRUE(run.finished) << run.err.constData();
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    const auto stored = tessaly::prefs::parsePropertyList(ReadFile(store));
    ASSERT_TRUE(stored.ok);
    EXPECT_EQ(stored.values.value(QStringLiteral("Array Sizes")), QVariant(QVariantList()));
}

} // namespace
