// SPDX-License-Identifier: GPL-3.0-or-later
// The pane fixture: the real pane and its view over a temporary preference store.
#include "PaneFixture.h"

#include "platform/prefs/Preferences.h"
#include "platform/prefs/PropertyList.h"

namespace panetest
{

QVariantMap Entry(qint64 width, qint64 height, const QString& name)
{
    QVariantMap entry{{kWidthKey, width}, {kHeightKey, height}};
    if (!name.isEmpty())
        entry.insert(QStringLiteral("Name"), name);
    return entry;
}

QString NamesOf(const QVariantList& list)
{
    QStringList names;
    for (const QVariant& element : list)
        names << element.toMap().value(QStringLiteral("Name"), QStringLiteral("?")).toString();
    return names.join(u' ');
}

QVariantList NamedEntries(int count)
{
    QVariantList list;
    for (int i = 0; i < count; ++i)
        list << Entry(i, 10 * i, QString(QChar(u'a' + i)));
    return list;
}

void PaneFixture::SetUp()
{
    qputenv("XDG_CONFIG_HOME", config.path());
    qputenv("XDG_CONFIG_DIRS", allUsers.path());
    pane = std::make_unique<TessalyCMPrefPane>();
}

void PaneFixture::TearDown()
{
    view.reset();
    pane.reset();
}

void PaneFixture::Store(const QVariant& value)
{
    CFPreferencesSetAppValue(kArraySizesKey, value, kTessalyCMDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kTessalyCMDomain));
}

QByteArray PaneFixture::UserFilePath() const
{
    return config / "com.quorvane.TessalyCM.plist";
}

QByteArray PaneFixture::UserFile() const
{
    return testsupport::ReadFile(UserFilePath());
}

QVariant PaneFixture::Stored() const
{
    const auto parsed = tessaly::prefs::parsePropertyList(UserFile());
    return parsed.ok ? parsed.values.value(kArraySizesKey) : QVariant();
}

void PaneFixture::LoadAndSelect()
{
    view.reset(pane->mainView());
    ASSERT_NE(view, nullptr);
    table = view->findChild<NSTableView*>(QStringLiteral("m_arraySizesTable"));
    addButton = view->findChild<QAbstractButton*>(QStringLiteral("m_addButton"));
    deleteButton = view->findChild<QAbstractButton*>(QStringLiteral("m_deleteButton"));
    helpButton = view->findChild<QAbstractButton*>(QStringLiteral("helpButton"));
    ASSERT_TRUE(table && addButton && deleteButton && helpButton);
    pane->mainViewDidLoad();
    pane->willSelect();
    view->show();
}

NSTableColumn* PaneFixture::Column(const QString& identifier)
{
    for (int i = 0; NSTableColumn* column = table->tableColumnAtIndex(i); ++i) {
        if (column->identifier == identifier)
            return column;
    }
    return nullptr;
}

std::vector<NSUInteger> PaneFixture::SelectedRows() const
{
    return table->selectedRowIndexes().indexes();
}

} // namespace panetest
