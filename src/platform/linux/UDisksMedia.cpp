#include "platform/linux/UDisksMedia.h"

#include "platform/Error.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QThread>
#include <sys/sysmacros.h>

namespace qel {

namespace {

const QString Service = QStringLiteral("org.freedesktop.UDisks2");
const QString ManagerPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString ObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString BlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString FileSystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString DriveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");

using Interfaces = QMap<QString, QVariantMap>;

bool onUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Runs the event loop, without user input, until the call has its answer
// (a reply, an error, or the time-out's error), so the windows keep painting.
QDBusMessage awaitReply(QDBusPendingCallWatcher& watcher) {
    if (!watcher.isFinished()) {
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return watcher.reply();
}

// The answer to GetManagedObjects: object path -> interface -> properties.
QMap<QString, Interfaces> managedObjects(const QDBusMessage& reply) {
    QMap<QString, Interfaces> objects;
    if (reply.type() != QDBusMessage::ReplyMessage ||
        reply.signature() != QLatin1String("a{oa{sa{sv}}}"))
        return objects;
    const QDBusArgument argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QDBusObjectPath path;
        Interfaces interfaces;
        argument.beginMapEntry();
        argument >> path >> interfaces;
        argument.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    argument.endMap();
    return objects;
}

// File systems on drives that UDisks2 calls removable, as file managers
// offer them; the ones it says to ignore are left out.
QList<RemovableMedium> removableFileSystems(const QMap<QString, Interfaces>& objects) {
    QList<RemovableMedium> media;
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        if (!it->contains(FileSystemInterface) || !it->contains(BlockInterface))
            continue;
        const QVariantMap block = it->value(BlockInterface);
        if (block.value(QStringLiteral("HintIgnore")).toBool())
            continue;
        const QString drivePath =
            block.value(QStringLiteral("Drive")).value<QDBusObjectPath>().path();
        const QVariantMap drive = objects.value(drivePath).value(DriveInterface);
        if (!drive.value(QStringLiteral("Removable")).toBool() &&
            !drive.value(QStringLiteral("MediaRemovable")).toBool())
            continue;
        const dev_t device = block.value(QStringLiteral("DeviceNumber")).toULongLong();
        media.append({it.key(), major(device), minor(device),
                      block.value(QStringLiteral("IdLabel")).toString()});
    }
    return media;
}

} // namespace

UDisksMedia::UDisksMedia(std::function<QDBusConnection()> connect, UDisksTimeOuts timeOuts,
                         QObject* parent)
    : QObject(parent)
    , m_connect(std::move(connect))
    , m_timeOuts(timeOuts) {}

QDBusConnection* UDisksMedia::bus() {
    if (!m_bus)
        m_bus = m_connect();
    return m_bus->isConnected() ? &*m_bus : nullptr;
}

void UDisksMedia::start() {
    QDBusConnection* connection = bus();
    if (!connection || m_listening)
        return;
    m_listening = true;
    // Any sender: naming the service would make Qt look up its owner, a call
    // that waits.
    for (const QString& signal :
         {QStringLiteral("InterfacesAdded"), QStringLiteral("InterfacesRemoved")})
        connection->connect(QString(), ManagerPath, ObjectManager, signal, this,
                            SLOT(objectsChanged(QDBusMessage)));
    askForMedia();
}

QList<RemovableMedium> UDisksMedia::media() const {
    std::lock_guard lock(m_mutex);
    return m_media;
}

void UDisksMedia::load() {
    if (m_answered || !onUiThread())
        return;
    askForMedia();
    if (!m_pending)
        return;
    // The watcher deletes itself once answered: it is not touched afterwards.
    QEventLoop loop;
    connect(m_pending, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void UDisksMedia::mount(const QString& id) {
    QDBusConnection* connection = onUiThread() ? bus() : nullptr;
    if (!connection)
        throw Error(err::DeviceUnavailable);
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, id, FileSystemInterface, QStringLiteral("Mount"));
    // As file managers do: the user may be asked to authorise the mount.
    call << QVariantMap{{QStringLiteral("auth.no_user_interaction"), false}};
    call.setInteractiveAuthorizationAllowed(true);
    QDBusPendingCallWatcher watcher(connection->asyncCall(call, m_timeOuts.mountMs));
    const QDBusMessage reply = awaitReply(watcher);
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw Error(err::DeviceUnavailable, reply.errorMessage());
}

void UDisksMedia::objectsChanged(const QDBusMessage&) {
    if (m_pending)
        m_askAgain = true;
    else
        askForMedia();
}

void UDisksMedia::askForMedia() {
    QDBusConnection* connection = bus();
    if (!connection || m_pending)
        return;
    const QDBusMessage call = QDBusMessage::createMethodCall(Service, ManagerPath, ObjectManager,
                                                             QStringLiteral("GetManagedObjects"));
    auto* watcher =
        new QDBusPendingCallWatcher(connection->asyncCall(call, m_timeOuts.listMs), this);
    m_pending = watcher;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_pending = nullptr;
        m_answered = true;
        takeMedia(watcher->reply());
        if (m_askAgain) {
            m_askAgain = false;
            askForMedia();
        }
    });
}

void UDisksMedia::takeMedia(const QDBusMessage& reply) {
    const QList<RemovableMedium> found = removableFileSystems(managedObjects(reply));
    {
        std::lock_guard lock(m_mutex);
        if (found == m_media)
            return;
        m_media = found;
    }
    emit changed();
}

} // namespace qel
