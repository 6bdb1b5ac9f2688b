// SPDX-License-Identifier: GPL-3.0-or-later
// The real pane, its view from its interface file and a real preference
// store in a temporary XDG_CONFIG_HOME (and an empty all-users folder).
#pragma once

#include "pane/TessalyCMPrefPane.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>

// Readable strings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace panetest
{

// A size entry with a name, so that orders read as letters.
QVariantMap Entry(qint64 width, qint64 height, const QString& name = QString());
// The "Name" of each element of list ("?" for elements without one).
QString NamesOf(const QVariantList& list);
// Entries named a, b, c, ... with widths 0, 1, 2, ...
QVariantList NamedEntries(int count);

class PaneFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes value under "Array Sizes" into the user's file, as the companion
    // component would.
    void Store(const QVariant& value);
    // What the user's file holds under "Array Sizes", read from the file.
    QVariant Stored() const;
    QByteArray UserFile() const;
    QByteArray UserFilePath() const;

    // Makes the pane's view and shows it once (mainViewDidLoad, willSelect).
    void LoadAndSelect();
    NSTableColumn* Column(const QString& identifier);
    std::vector<NSUInteger> SelectedRows() const;

    testsupport::TempFolder config;
    testsupport::TempFolder allUsers;
    std::unique_ptr<TessalyCMPrefPane> pane;
    std::unique_ptr<QWidget> view;
    NSTableView* table = nullptr;
    QAbstractButton* addButton = nullptr;
    QAbstractButton* deleteButton = nullptr;
    QAbstractButton* helpButton = nullptr;
};

} // namespace panetest
