#pragma once

#include "platform/linux/RemovableMedia.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <functional>
#include <mutex>
#include <optional>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace qel {

struct UDisksTimeOuts {
    int listMs = 5000;
    // A mount may wait for the user to authorise it.
    int mountMs = 120000;
};

// The removable media of the UDisks2 service on a D-Bus (the system bus in
// the program, a private one in tests). Without a bus or without the
// service it knows no media and says nothing.
class UDisksMedia final : public QObject, public RemovableMedia {
    Q_OBJECT
public:
    // connect makes the bus connection. It is called on first use, never
    // here, so making this object costs start-up nothing.
    explicit UDisksMedia(std::function<QDBusConnection()> connect, UDisksTimeOuts timeOuts = {},
                         QObject* parent = nullptr);

    // Follows the service from now on, without waiting: asks for its media and
    // listens for media that come and go.
    void start();

    QList<RemovableMedium> media() const override;
    void load() override;
    void mount(const QString& id) override;

signals:
    void changed();

private slots:
    void objectsChanged(const QDBusMessage& signal);

private:
    QDBusConnection* bus();
    void askForMedia();
    void takeMedia(const QDBusMessage& reply);

    std::function<QDBusConnection()> m_connect;
    std::optional<QDBusConnection> m_bus;
    UDisksTimeOuts m_timeOuts;
    bool m_listening = false;
    bool m_answered = false;
    bool m_askAgain = false;
    QPointer<QDBusPendingCallWatcher> m_pending;
    mutable std::mutex m_mutex; // guards m_media: drive tables are read off the UI thread too
    QList<RemovableMedium> m_media;
};

} // namespace qel
