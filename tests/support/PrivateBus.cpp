#include "PrivateBus.h"

#include <QStandardPaths>

namespace qel::test {

PrivateBus::PrivateBus(const QString& listen) {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_problem = QStringLiteral("dbus-daemon is not installed (Debian package dbus)");
        return;
    }
    QStringList arguments{QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--print-address")};
    if (!listen.isEmpty())
        arguments << QStringLiteral("--address=") + listen;
    m_daemon.start(daemon, arguments);
    if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000)) {
        m_problem = QStringLiteral("dbus-daemon did not start: ") +
                    QString::fromLocal8Bit(m_daemon.readAllStandardError());
        return;
    }
    m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000))
        m_daemon.kill();
}

} // namespace qel::test
