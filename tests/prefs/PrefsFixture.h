// Shared ground for the preference tests: a temporary XDG_CONFIG_HOME and two
// XDG_CONFIG_DIRS folders per test, real files in them, and the second
// process (prefs_writer) launched with that environment.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

// Same value and same kind, all the way down (QVariant's == treats 1 and 1.0
// as equal, and NaN as unequal to itself).
inline bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.metaType() != b.metaType())
        return false;
    switch (a.metaType().id()) {
    case QMetaType::QVariantList: {
        const QVariantList x = a.toList(), y = b.toList();
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), sameValue);
    }
    case QMetaType::QVariantMap: {
        const QVariantMap x = a.toMap(), y = b.toMap();
        return x.keys() == y.keys() && std::all_of(x.keyBegin(), x.keyEnd(), [&](const QString& k) {
                   return sameValue(x[k], y[k]);
               });
    }
    case QMetaType::Double:
        if (std::isnan(a.toDouble()))
            return std::isnan(b.toDouble());
        return a.toDouble() == b.toDouble() &&
               std::signbit(a.toDouble()) == std::signbit(b.toDouble());
    default:
        return a == b;
    }
}

// A string inside levels arrays.
inline QVariant nested(int levels)
{
    QVariant value = u"bottom"_s;
    for (int i = 0; i < levels; ++i)
        value = QVariantList{value};
    return value;
}

class PrefsTest : public ::testing::Test
{
protected:
    static constexpr int kProcessTimeoutMs = 180'000;

    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_savedHome = qgetenv("XDG_CONFIG_HOME");
        m_savedDirs = qgetenv("XDG_CONFIG_DIRS");
        ASSERT_TRUE(QDir().mkpath(sharedFolder(1)) && QDir().mkpath(sharedFolder(2)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(sharedFolder(1) + u':' + sharedFolder(2)));
    }

    void TearDown() override
    {
        restore("XDG_CONFIG_HOME", m_savedHome);
        restore("XDG_CONFIG_DIRS", m_savedDirs);
    }

    QString configHome() const { return m_root.filePath(u"config"_s); }
    QString sharedFolder(int n) const { return m_root.filePath(u"xdg%1"_s.arg(n)); }
    QString userFile(const QString& domain) const
    {
        return configHome() + u'/' + domain + u".plist"_s;
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts prefs_writer in this test's environment; the caller waits.
    static std::unique_ptr<QProcess> startWriter(const QStringList& args)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process->start(QStringLiteral(PREFS_WRITER), args);
        return process;
    }

    static void expectFinishedCleanly(QProcess& process)
    {
        ASSERT_TRUE(process.waitForFinished(kProcessTimeoutMs)) << "prefs_writer did not finish";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }

    static void runWriter(const QStringList& args) { expectFinishedCleanly(*startWriter(args)); }

    QTemporaryDir m_root;

private:
    static void restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QByteArray m_savedHome;
    QByteArray m_savedDirs;
};
