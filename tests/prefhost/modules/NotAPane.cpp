// SPDX-License-Identifier: GPL-3.0-or-later
// Modules the host must refuse with a clear text: a Qt plug-in of another
// kind, and one that claims the pane interface id without implementing it.
#include "platform/prefpane/PreferencePane.h"

#include <QObject>

class NotAPane : public QObject
{
    Q_OBJECT
#ifdef CLAIMS_PANE_IID
    Q_PLUGIN_METADATA(IID TESSALY_PREFERENCE_PANE_IID)
#else
    Q_PLUGIN_METADATA(IID "org.example.ImageFilter/1")
#endif
};

#include "NotAPane.moc"
