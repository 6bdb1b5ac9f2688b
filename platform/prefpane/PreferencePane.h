// SPDX-License-Identifier: GPL-3.0-or-later
// The preference-pane plug-in interface. A pane module is a Qt plug-in whose
// root object derives from NSPreferencePane and names it with Q_INTERFACES;
// the host (tessaly-preferences) loads it with QPluginLoader and drives it:
//
//   mainView()        the pane's page, made on first use (loadMainView)
//   mainViewDidLoad() once, after the view has been made, before it is shown
//   willSelect()      before each showing of the page
//   didUnselect()     after each hiding of the page (another page chosen, the
//                     window hidden or closed, the host quitting)
//
// The host takes the view into its window; the pane keeps using it. All calls
// come on the host's main thread. Everything here is inline, so a module and
// the host share nothing but this layout, checked by the interface id.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#define TESSALY_PREFERENCE_PANE_IID "com.quorvane.Tessaly.PreferencePane/1"

class NSPreferencePane : public QObject
{
public:
    using QObject::QObject;
    ~NSPreferencePane() override = default;

    // The name of the pane's page in the host's list.
    virtual QString label() const = 0;

    // The pane's view; null when it could not be made.
    QWidget* mainView()
    {
        if (!m_mainView && !m_loadTried) {
            m_loadTried = true;
            m_mainView = loadMainView();
        }
        return m_mainView;
    }

    virtual void mainViewDidLoad() {}
    virtual void willSelect() {}
    virtual void didUnselect() {}

protected:
    // Makes the view, for instance from the pane's interface file.
    virtual QWidget* loadMainView() = 0;

private:
    QPointer<QWidget> m_mainView;
    bool m_loadTried = false;
};

Q_DECLARE_INTERFACE(NSPreferencePane, TESSALY_PREFERENCE_PANE_IID)
