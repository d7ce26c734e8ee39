#include "FakeNotifications.h"

#include <QDBusMessage>

namespace qel::test {

namespace {

const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Name = QStringLiteral("org.freedesktop.Notifications");

} // namespace

FakeNotifications::FakeNotifications(const QString& busAddress)
    : m_bus(QDBusConnection::connectToBus(busAddress, QStringLiteral("fake-notifications"))) {
    m_thread.start();
    moveToThread(&m_thread); // calls to an object are delivered on its thread
    m_serving = m_bus.isConnected() && m_bus.registerVirtualObject(Path, this) &&
                m_bus.registerService(Name);
}

FakeNotifications::~FakeNotifications() {
    m_bus.unregisterObject(Path);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-notifications"));
    m_thread.quit();
    m_thread.wait();
}

QList<FakeNotifications::Notification> FakeNotifications::received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

QString FakeNotifications::introspect(const QString&) const {
    return {};
}

bool FakeNotifications::handleMessage(const QDBusMessage& message,
                                      const QDBusConnection& connection) {
    if (message.interface() != Name)
        return false;
    if (message.member() == QLatin1String("GetCapabilities"))
        return connection.send(message.createReply(QStringList{QStringLiteral("body")}));
    const QVariantList a = message.arguments();
    if (message.member() != QLatin1String("Notify") || a.size() != 8)
        return false;
    std::lock_guard lock(m_mutex);
    m_received.append({a[0].toString(), a[2].toString(), a[3].toString(), a[4].toString()});
    return connection.send(message.createReply(uint(m_received.size())));
}

} // namespace qel::test
