// SPDX-License-Identifier: GPL-3.0-or-later
// The session-bus side of the single instance. The served object lives on a
// thread of its own, so an Open call is answered at once even while the
// primary instance is busy or still starting; its URIs are then queued to
// the thread that asked to serve, in arrival order, and reach `onOpen` when
// that thread's event loop turns.
//
// A process about to end stops taking hand-overs first (a gate the served
// object checks under a lock), so no launch is told "taken" for items that
// would never be converted.
#include "platform/desktop/SingleInstance.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QObject>
#include <QThread>
#include <QVariantList>
#include <QVariantMap>

#include <mutex>
#include <utility>

namespace platform
{
namespace
{

const QString kApplicationInterface = QStringLiteral("org.freedesktop.Application");

// A running instance answers at once, so a long wait means that it hangs;
// the launch then gives up and runs on its own.
constexpr int kCallTimeoutMs = 5000;

// The launch's activation token lets the running instance raise its window
// where the desktop prevents focus stealing.
QVariantMap PlatformData()
{
    QVariantMap data;
    const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty())
        data.insert(QStringLiteral("activation-token"), token);
    const QString startupId = qEnvironmentVariable("DESKTOP_STARTUP_ID");
    if (!startupId.isEmpty())
        data.insert(QStringLiteral("desktop-startup-id"), startupId);
    return data;
}

// Whether calls are taken. A call is taken, and its work queued to the
// receiver, under the lock, so once the gate is closed every call that was
// answered "taken" has its work waiting in the receiver's queue.
struct Gate {
    std::mutex lock;
    bool open = true;
};

class ApplicationObject : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    ApplicationObject(QObject* receiver, std::function<void(const QStringList&)> onOpen,
                      std::function<void()> onActivate)
        : m_receiver(receiver), m_onOpen(std::move(onOpen)), m_onActivate(std::move(onActivate))
    {
    }
    Gate& gate() { return m_gate; }

public Q_SLOTS:
    void Open(const QStringList& uris, const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        std::lock_guard lock(m_gate.lock);
        if (!m_gate.open) {
            refuse();
            return;
        }
        QMetaObject::invokeMethod(
            m_receiver,
            [onOpen = m_onOpen, uris] {
                if (onOpen)
                    onOpen(uris);
            },
            Qt::QueuedConnection);
    }

    void Activate(const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        std::lock_guard lock(m_gate.lock);
        if (!m_gate.open) {
            refuse();
            return;
        }
        QMetaObject::invokeMethod(
            m_receiver,
            [onActivate = m_onActivate] {
                if (onActivate)
                    onActivate();
            },
            Qt::QueuedConnection);
    }

    // Tessaly has no application actions; an action asks it to come forward.
    void ActivateAction(const QString& name, const QVariantList& parameter,
                        const QVariantMap& platformData)
    {
        Q_UNUSED(name);
        Q_UNUSED(parameter);
        Activate(platformData);
    }

private:
    // The launch that called then runs on its own.
    void refuse()
    {
        sendErrorReply(QDBusError::Failed, QStringLiteral("the instance is quitting"));
    }

    Gate m_gate;
    QObject* m_receiver; // lives on the serving thread
    std::function<void(const QStringList&)> m_onOpen;
    std::function<void()> m_onActivate;
};

// What one process serves; torn down when the application object goes.
struct Served {
    QString appId;
    QThread* busThread = nullptr;
    ApplicationObject* object = nullptr;
    QObject* receiver = nullptr;
};
Served* gServed = nullptr;

// Ends the bus thread and frees what was made for it; callers give up the
// name and the object path first where they hold them.
void DisposeServed(Served* served)
{
    served->busThread->quit();
    served->busThread->wait();
    delete served->object;
    delete served->busThread;
    delete served->receiver;
    delete served;
}

void StopServingAtExit()
{
    Served* served = std::exchange(gServed, nullptr);
    if (!served)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(ObjectPathForAppId(served->appId));
    if (bus.interface())
        bus.interface()->unregisterService(served->appId);
    DisposeServed(served);
}

} // namespace

QString ObjectPathForAppId(const QString& appId)
{
    QString path = QStringLiteral("/") + appId;
    for (qsizetype i = 1; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c == u'.')
            path[i] = u'/';
        else if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'_')
            path[i] = u'_';
    }
    return path;
}

bool ForwardToRunningInstance(const QString& appId, const QStringList& uris)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    // Asking first keeps the bus from starting a service of that name, and
    // answers "no instance" without a call that would have to time out.
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(appId);
    if (!registered.isValid() || !registered.value())
        return false;

    QDBusMessage call = QDBusMessage::createMethodCall(
        appId, ObjectPathForAppId(appId), kApplicationInterface,
        uris.isEmpty() ? QStringLiteral("Activate") : QStringLiteral("Open"));
    call.setAutoStartService(false);
    if (!uris.isEmpty())
        call << uris;
    call << PlatformData();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void StopTakingHandOvers()
{
    Served* served = gServed;
    if (!served)
        return;
    {
        std::lock_guard lock(served->object->gate().lock);
        if (!served->object->gate().open)
            return;
        served->object->gate().open = false;
    }
    // Launches from now on find no instance and run on their own.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.interface())
        bus.interface()->unregisterService(served->appId);
    // What was taken before the gate closed is waiting in the queue.
    QCoreApplication::sendPostedEvents(served->receiver, QEvent::MetaCall);
}

void TakeHandOversAgain()
{
    Served* served = gServed;
    if (!served)
        return;
    {
        std::lock_guard lock(served->object->gate().lock);
        if (served->object->gate().open)
            return;
        served->object->gate().open = true;
    }
    // Another instance may have taken the name meanwhile; then that one
    // serves and this one finishes its work on its own.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.interface())
        bus.interface()->registerService(served->appId, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
}

bool ServeAsPrimaryInstance(const QString& appId,
                            std::function<void(const QStringList& uris)> onOpen,
                            std::function<void()> onActivate)
{
    if (!QCoreApplication::instance() || gServed)
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;

    auto* served = new Served;
    served->appId = appId;
    served->receiver = new QObject;
    served->busThread = new QThread;
    served->busThread->setObjectName(QStringLiteral("session bus"));
    served->object =
        new ApplicationObject(served->receiver, std::move(onOpen), std::move(onActivate));
    served->object->moveToThread(served->busThread);
    served->busThread->start();

    // The object is in place before the name is claimed, so the first call
    // that the name attracts finds it.
    if (!bus.registerObject(ObjectPathForAppId(appId), served->object,
                            QDBusConnection::ExportAllSlots)) {
        DisposeServed(served);
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> claimed =
        bus.interface()->registerService(appId, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!claimed.isValid() || claimed.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(ObjectPathForAppId(appId));
        DisposeServed(served); // the name is someone else's: leave it alone
        return false;
    }
    gServed = served;
    qAddPostRoutine(StopServingAtExit);
    return true;
}

} // namespace platform

#include "SingleInstance.moc"
