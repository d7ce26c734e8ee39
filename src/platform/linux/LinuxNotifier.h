#pragma once

#include "platform/Notifier.h"

namespace qel {

// A desktop notification through org.freedesktop.Notifications on the
// user's session bus: the one DBUS_SESSION_BUS_ADDRESS names, or else the
// user's bus in the runtime folder, as under cron, which sets neither.
class LinuxNotifier final : public Notifier {
public:
    QString notify(const QString& summary, const QString& body) override;
};

} // namespace qel
