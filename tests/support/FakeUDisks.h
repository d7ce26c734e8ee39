#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QList>
#include <QString>
#include <functional>
#include <mutex>

namespace qel::test {

// A small UDisks2 on a bus of the test's own: the service name, object
// paths, interfaces and methods the real one offers for block devices, with
// each device answering a mount as the test says.
class FakeUDisks final : public QDBusVirtualObject {
public:
    enum class Answer { Mount, Refuse, Never };
    struct Device {
        QString name; // "sdb1"
        unsigned major = 8;
        unsigned minor = 17;
        QString label;
        bool removable = true;
        Answer answer = Answer::Mount;
    };
    struct MountCall {
        QString device;
        bool interactive = false; // interactive authorisation allowed
        QVariantMap options;
    };

    // Takes the name org.freedesktop.UDisks2 on the bus at busAddress;
    // serving() is false when it could not.
    explicit FakeUDisks(const QString& busAddress);
    ~FakeUDisks() override;

    bool serving() const { return m_serving; }
    // Adds a device and announces it (InterfacesAdded).
    void add(const Device& device);
    // Runs for a granted mount before the reply goes out (may run on
    // QtDBus's own thread); its result is the mount path replied.
    void onMount(std::function<QString(const Device&)> mount);
    QList<MountCall> mountCalls() const;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusConnection m_bus;
    bool m_serving = false;
    mutable std::mutex m_mutex;
    QList<Device> m_devices;
    QList<MountCall> m_mountCalls;
    std::function<QString(const Device&)> m_mount;
};

} // namespace qel::test
