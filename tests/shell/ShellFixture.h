// SPDX-License-Identifier: GPL-3.0-or-later
// What the widget tests share: one application object, the real main window
// loaded from the build tree's bundle, a fresh preference folder per test, a
// folder chooser the test answers, an exit that does not end the test
// program, and a record of every message the status display showed.
#pragma once

#include "app/engine/BatchRun.h"
#include "app/engine/EngineGlobals.h"
#include "app/engine/Settings.h"
#include "app/shell/StatusDisplay.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QWidget>

#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

namespace shelltest
{

// Handles events until done() holds or timeoutMs passed; whether it held.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 60000);
// How many open-documents events the application has handled.
int HandledDrops();
// A small picture of the given format ("png", "jpg") at path.
void MakePicture(const QByteArray& path, const char* format = "png");

class ShellTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Stores the copy-to folder (an alias record) and turns the setting on.
    void storeCopyTo(const QByteArray& folderPath, bool on = true);
    // A new folder of that name in the destination, stored as the copy-to
    // folder, and the messages so far forgotten: a case of a table that runs
    // a batch of its own. Gives the folder's path.
    QByteArray freshCopyTo(const QByteArray& name);
    // Drops the items on the launcher icon and waits until every batch ran.
    bool dropAndWait(const QStringList& paths);
    // The texts shown on a line, in order.
    QStringList shown(int line) const;
    QStringList fileMessages() const;
    // From now until the test ends, every value the progress bar takes goes
    // to progressValues.
    void recordProgress();
    // A drag over the main window as Qt delivers it: whether the window
    // takes it on entering, and whether it accepts the drop.
    bool enter(QMimeData* mime);
    void leave();
    bool drop(QMimeData* mime);

    testsupport::TempFolder config;
    testsupport::TempFolder source;
    testsupport::TempFolder destination;

    // The folder the chooser answers with; empty: the user cancels.
    QByteArray chooserAnswer;
    QStringList chooserPrompts;
    // The items "Convert…" is answered with; empty: the user cancels.
    QList<QByteArray> itemsAnswer;
    QStringList itemsPrompts;
    std::vector<std::pair<int, QString>> messages;
    std::vector<int> progressValues;
    // Runs on every message, after it is recorded.
    std::function<void(int line, const QString& text)> onMessage;
    int exits = 0;

private:
    QMetaObject::Connection m_progressSpy;
};

} // namespace shelltest
