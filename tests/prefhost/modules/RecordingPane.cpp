// SPDX-License-Identifier: GPL-3.0-or-later
// A pane module for the host's tests: it appends each lifecycle call, and
// each time its view is shown or hidden, as a line "<label> <event>" to the
// file named by TESSALY_TEST_PANE_RECORD.
#include "platform/prefpane/PreferencePane.h"

#include <QFile>
#include <QLabel>

namespace
{

void record(const QString& line)
{
    QFile file(QString::fromLocal8Bit(qgetenv("TESSALY_TEST_PANE_RECORD")));
    if (file.open(QIODevice::Append))
        file.write(line.toUtf8() + '\n');
}

class RecordingView : public QLabel
{
public:
    explicit RecordingView(const QString& label) : QLabel(label), m_label(label) {}

protected:
    void showEvent(QShowEvent*) override { record(m_label + " shown"); }
    void hideEvent(QHideEvent*) override { record(m_label + " hidden"); }

private:
    QString m_label;
};

} // namespace

class RecordingPane : public NSPreferencePane
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TESSALY_PREFERENCE_PANE_IID)
    Q_INTERFACES(NSPreferencePane)

public:
    QString label() const override { return QStringLiteral(RECORDING_PANE_LABEL); }
    void mainViewDidLoad() override { record(label() + " mainViewDidLoad"); }
    void willSelect() override { record(label() + " willSelect"); }
    void didUnselect() override { record(label() + " didUnselect"); }

protected:
    QWidget* loadMainView() override { return new RecordingView(label()); }
};

#include "RecordingPane.moc"
