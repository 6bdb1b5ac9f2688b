// SPDX-License-Identifier: GPL-3.0-or-later
// One Tessaly per session: a launch while another instance runs hands its
// items to that instance over the session bus (the freedesktop
// org.freedesktop.Application interface) instead of opening a second window.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform
{

// Hands `uris` (file:// URIs, in the order given) to an instance of `appId`
// that already runs, through org.freedesktop.Application.Open on the session
// bus. True when one took them. An empty list asks the instance to come to
// the front instead (Activate). False at once when there is no session bus
// or no instance.
bool ForwardToRunningInstance(const QString& appId, const QStringList& uris);

// Claims the bus name `appId` and serves org.freedesktop.Application at the
// object path made from it (/com/quorvane/Tessaly). `onOpen` gets the URIs
// of each Open call (on the thread of the caller's event loop); `onActivate`
// each Activate. False when there is no bus or the name is taken (the caller
// then runs on its own). The served object lives until exit.
bool ServeAsPrimaryInstance(const QString& appId,
                            std::function<void(const QStringList& uris)> onOpen,
                            std::function<void()> onActivate);

// For a process about to end: from this call on, Open and Activate calls
// are answered with an error (so the launch that made one runs on its own)
// and the bus name is given up (so later launches become instances of their
// own). Calls taken before it reach `onOpen` and `onActivate` during the
// call. Nothing happens where nothing is served.
void StopTakingHandOvers();
// Serves again after StopTakingHandOvers, for a process that found work to
// do after all; the name is claimed again when it is free.
void TakeHandOversAgain();

// The object path an application id is served at: dots become slashes and
// characters a path may not hold become underscores.
QString ObjectPathForAppId(const QString& appId);

} // namespace platform
