#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QList>
#include <QString>
#include <QThread>
#include <mutex>

namespace qel::test {

// A notification service (org.freedesktop.Notifications) on a bus of the
// test's own that shows nothing and keeps what it is sent; it answers on a
// thread of its own, so a test may block waiting for a program that calls it.
// Needs a QCoreApplication.
class FakeNotifications final : public QDBusVirtualObject {
public:
    struct Notification {
        QString appName;
        QString icon;
        QString summary;
        QString body;
    };

    // serving() is false when the name could not be taken on busAddress.
    explicit FakeNotifications(const QString& busAddress);
    ~FakeNotifications() override;

    bool serving() const { return m_serving; }
    QList<Notification> received() const;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QThread m_thread;
    QDBusConnection m_bus;
    bool m_serving = false;
    mutable std::mutex m_mutex;
    QList<Notification> m_received;
};

} // namespace qel::test
