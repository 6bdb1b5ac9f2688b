// One running instance per user session: a second launch hands its items to
// the first over the session bus. Served by platform/desktop when it is
// built; without it a launch always runs on its own.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace shell
{
inline const QString kApplicationID = QStringLiteral("com.quorvane.Tessaly");

bool ForwardToRunningInstance(const QStringList& uris);
bool ServeAsPrimaryInstance(std::function<void(const QStringList&)> onOpen,
                            std::function<void()> onActivate);
// file:// URIs of the items (paths or URIs), in the order given.
QStringList UrisOfItems(const QStringList& items);
} // namespace shell
