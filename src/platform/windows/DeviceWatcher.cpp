#include "platform/windows/DeviceWatcher.h"

#include "platform/windows/Win32.h"

#include <dbt.h>

namespace qel {

DeviceWatcher::DeviceWatcher(int intervalMs, QObject* parent)
    : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &DeviceWatcher::changed);
}

DeviceWatcher::~DeviceWatcher() = default;

bool DeviceWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_DEVICECHANGE &&
        (msg->wParam == DBT_DEVICEARRIVAL || msg->wParam == DBT_DEVICEREMOVECOMPLETE ||
         msg->wParam == DBT_DEVNODES_CHANGED) &&
        !m_timer.isActive())
        m_timer.start();
    return false; // others may want it too
}

} // namespace qel
