// SPDX-License-Identifier: GPL-3.0-or-later
// Interface files through QUiLoader.
#include "platform/prefpane/InterfaceFile.h"

#include "platform/prefpane/TableView.h"

#include <QFile>
#include <QUiLoader>

namespace
{

class Loader : public QUiLoader
{
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        if (className == u"NSTableView") {
            auto* table = new NSTableView(parent);
            table->setObjectName(name);
            return table;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

} // namespace

QWidget* LoadInterfaceFile(const QString& path, QWidget* parent, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return nullptr;
    }
    Loader loader;
    QWidget* view = loader.load(&file, parent);
    if (!view && error)
        *error = loader.errorString();
    return view;
}
