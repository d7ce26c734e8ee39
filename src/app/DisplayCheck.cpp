#include "app/DisplayCheck.h"

#include <QByteArray>
#include <QList>

namespace qel {

QString noDisplayReason(const std::function<QByteArray(const char*)>& getenv) {
    // QT_QPA_PLATFORM may list fall-backs ("wayland;xcb"); one usable entry suffices.
    const QByteArray platforms = getenv("QT_QPA_PLATFORM").trimmed();
    const bool x11 = !getenv("DISPLAY").isEmpty();
    const bool wayland = !getenv("WAYLAND_DISPLAY").isEmpty();
    if (platforms.isEmpty()) {
        if (x11 || wayland)
            return {};
        return QStringLiteral("no display (DISPLAY or WAYLAND_DISPLAY is not set)");
    }
    for (const QByteArray& entry : platforms.split(';')) {
        // Options follow the name after a colon ("vnc:size=800x600").
        const qsizetype colon = entry.indexOf(':');
        const QByteArray name = (colon < 0 ? entry : entry.left(colon)).trimmed();
        if (name == "xcb") {
            if (x11)
                return {};
        } else if (name.startsWith("wayland")) {
            if (wayland)
                return {};
        } else if (!name.isEmpty()) {
            return {};
        }
    }
    return QStringLiteral("no display for the platform \"%1\" (DISPLAY or WAYLAND_DISPLAY is not "
                          "set)")
        .arg(QString::fromLocal8Bit(platforms));
}

} // namespace qel
