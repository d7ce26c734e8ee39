#include "app/DisplayCheck.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace qel {

QString noDisplayReason(const std::function<QByteArray(const char*)>& getenv,
                        const std::function<bool(const QByteArray&)>& reachX11) {
    // QT_QPA_PLATFORM may list fall-backs ("wayland;xcb"); one usable entry suffices.
    const QByteArray platforms = getenv("QT_QPA_PLATFORM").trimmed();
    const QByteArray display = getenv("DISPLAY");
    const bool wayland = !getenv("WAYLAND_DISPLAY").isEmpty();
    // Asked at most once: a display that does not answer costs a time-out.
    std::optional<bool> reached;
    const auto x11 = [&] {
        if (!reached)
            reached = !display.isEmpty() && reachX11(display);
        return *reached;
    };
    const auto unreachable = [&] {
        return QStringLiteral("cannot open the display \"%1\"")
            .arg(QString::fromLocal8Bit(display));
    };
    if (platforms.isEmpty()) {
        if (wayland || x11())
            return {};
        if (!display.isEmpty())
            return unreachable();
        return QStringLiteral("no display (DISPLAY or WAYLAND_DISPLAY is not set)");
    }
    bool triedX11 = false;
    for (const QByteArray& entry : platforms.split(';')) {
        // Options follow the name after a colon ("vnc:size=800x600").
        const qsizetype colon = entry.indexOf(':');
        const QByteArray name = (colon < 0 ? entry : entry.left(colon)).trimmed();
        if (name == "xcb") {
            triedX11 = true;
            if (x11())
                return {};
        } else if (name.startsWith("wayland")) {
            if (wayland)
                return {};
        } else if (!name.isEmpty()) {
            return {};
        }
    }
    if (triedX11 && !display.isEmpty())
        return unreachable();
    return QStringLiteral("no display for the platform \"%1\" (DISPLAY or WAYLAND_DISPLAY is not "
                          "set)")
        .arg(QString::fromLocal8Bit(platforms));
}

} // namespace qel
