#include "platform/linux/LinuxNotifier.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QFile>
#include <QScopeGuard>
#include <QVariantMap>
#include <cctype>
#include <cstring>
#include <unistd.h>

namespace qel {

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
// A notification service that is started on demand may take a while.
constexpr int Timeout = 10000;

// A path in a D-Bus address, where only a few bytes may stand for themselves.
QString addressValue(const QString& path) {
    QString value;
    for (const char c : QFile::encodeName(path)) {
        if (std::isalnum(static_cast<unsigned char>(c)) || std::strchr("-_/.\\*", c))
            value += QLatin1Char(c);
        else
            value +=
                QStringLiteral("%%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
    }
    return value;
}

QString userBusAddress() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) // where the login manager makes it
        runtime = QStringLiteral("/run/user/") + QString::number(::getuid());
    return QStringLiteral("unix:path=") + addressValue(runtime + QStringLiteral("/bus"));
}

QDBusMessage call(const QDBusConnection& bus, const QString& method,
                  const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(Service, Path, Service, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, Timeout);
}

} // namespace

QString LinuxNotifier::notify(const QString& summary, const QString& body) {
    const QString name = QStringLiteral("qel-notifier");
    const bool named = qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
    const QDBusConnection bus = named ? QDBusConnection::connectToBus(userBusAddress(), name)
                                      : QDBusConnection::sessionBus();
    const auto disconnect = qScopeGuard([&] {
        if (named)
            QDBusConnection::disconnectFromBus(name);
    });
    if (!bus.isConnected())
        return QStringLiteral("no session bus (") + bus.lastError().message() + u')';

    const QDBusMessage capabilities = call(bus, QStringLiteral("GetCapabilities"), {});
    if (capabilities.type() == QDBusMessage::ErrorMessage)
        return QStringLiteral("no notification service (") + capabilities.errorMessage() + u')';
    // File names may hold &, which a service that reads markup would misread.
    const bool markup =
        capabilities.arguments().value(0).toStringList().contains(QStringLiteral("body-markup"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
                            {QStringLiteral("desktop-entry"), QStringLiteral("qel-trekkel")}};
    const QDBusMessage reply =
        call(bus, QStringLiteral("Notify"),
             {QStringLiteral("QEL Trekkel"), 0u, QStringLiteral("qel-trekkel"), summary,
              markup ? body.toHtmlEscaped() : body, QStringList(), hints,
              0 /* kept until the person closes it */});
    if (reply.type() == QDBusMessage::ErrorMessage)
        return QStringLiteral("the notification service refused (") + reply.errorMessage() + u')';
    return {};
}

} // namespace qel
