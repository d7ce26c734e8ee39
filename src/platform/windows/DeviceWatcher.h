#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>

namespace qel {

// Says when drives may have come or gone: the system broadcasts
// WM_DEVICECHANGE to every top-level window when a volume arrives or leaves.
// A burst of such messages is coalesced into one changed().
class DeviceWatcher final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit DeviceWatcher(int intervalMs = 150, QObject* parent = nullptr);
    ~DeviceWatcher() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void changed();

private:
    QTimer m_timer;
};

} // namespace qel
