#include "FakeUDisks.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <sys/sysmacros.h>

namespace qel::test {

namespace {

using Interfaces = QMap<QString, QVariantMap>;
using Objects = QMap<QDBusObjectPath, Interfaces>;

const QString Root = QStringLiteral("/org/freedesktop/UDisks2");
const QString ObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString FileSystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");

QString blockPath(const QString& name) {
    return Root + QStringLiteral("/block_devices/") + name;
}

QString drivePath(const QString& name) {
    return Root + QStringLiteral("/drives/Stick_") + name;
}

// The block object (with its file system) and its drive, as UDisks2 shows them.
Objects objectsOf(const FakeUDisks::Device& d) {
    Objects objects;
    objects[QDBusObjectPath(blockPath(d.name))] = Interfaces{
        {QStringLiteral("org.freedesktop.UDisks2.Block"),
         QVariantMap{
             {QStringLiteral("DeviceNumber"), qulonglong(makedev(d.major, d.minor))},
             {QStringLiteral("IdLabel"), d.label},
             {QStringLiteral("HintIgnore"), false},
             {QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath(drivePath(d.name)))}}},
        {FileSystem, QVariantMap{}}};
    objects[QDBusObjectPath(drivePath(d.name))] =
        Interfaces{{QStringLiteral("org.freedesktop.UDisks2.Drive"),
                    QVariantMap{{QStringLiteral("Removable"), d.removable},
                                {QStringLiteral("MediaRemovable"), d.removable}}}};
    return objects;
}

} // namespace

FakeUDisks::FakeUDisks(const QString& busAddress)
    : m_bus(QDBusConnection::connectToBus(busAddress, QStringLiteral("fake-udisks"))) {
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<Objects>();
    m_serving = m_bus.isConnected() &&
                m_bus.registerVirtualObject(Root, this, QDBusConnection::SubPath) &&
                m_bus.registerService(QStringLiteral("org.freedesktop.UDisks2"));
}

FakeUDisks::~FakeUDisks() {
    m_bus.unregisterObject(Root, QDBusConnection::UnregisterTree);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-udisks"));
}

void FakeUDisks::add(const Device& device) {
    {
        std::lock_guard lock(m_mutex);
        m_devices.append(device);
    }
    const Objects objects = objectsOf(device);
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        QDBusMessage signal =
            QDBusMessage::createSignal(Root, ObjectManager, QStringLiteral("InterfacesAdded"));
        signal << QVariant::fromValue(it.key()) << QVariant::fromValue(it.value());
        m_bus.send(signal);
    }
}

void FakeUDisks::onMount(std::function<QString(const Device&)> mount) {
    std::lock_guard lock(m_mutex);
    m_mount = std::move(mount);
}

QList<FakeUDisks::MountCall> FakeUDisks::mountCalls() const {
    std::lock_guard lock(m_mutex);
    return m_mountCalls;
}

QString FakeUDisks::introspect(const QString&) const {
    return {};
}

bool FakeUDisks::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.path() == Root && message.member() == QLatin1String("GetManagedObjects")) {
        Objects all;
        std::lock_guard lock(m_mutex);
        for (const Device& device : m_devices)
            all.insert(objectsOf(device));
        return connection.send(message.createReply(QVariant::fromValue(all)));
    }
    if (message.interface() != FileSystem || message.member() != QLatin1String("Mount"))
        return false;

    std::unique_lock lock(m_mutex);
    const auto device = std::find_if(m_devices.begin(), m_devices.end(), [&](const Device& d) {
        return blockPath(d.name) == message.path();
    });
    if (device == m_devices.end())
        return false;
    m_mountCalls.append({device->name, message.isInteractiveAuthorizationAllowed(),
                         qdbus_cast<QVariantMap>(message.arguments().value(0))});
    const Device chosen = *device;
    const auto mount = m_mount;
    lock.unlock();
    switch (chosen.answer) {
    case Answer::Never:
        return true;
    case Answer::Refuse:
        return connection.send(message.createErrorReply(
            QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorizedDismissed"),
            QStringLiteral("Not authorized to perform operation")));
    case Answer::Mount:
        break;
    }
    return connection.send(message.createReply(mount ? mount(chosen) : QString()));
}

} // namespace qel::test
