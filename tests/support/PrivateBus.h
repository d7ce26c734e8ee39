#pragma once

#include <QProcess>
#include <QString>

namespace qel::test {

// A D-Bus daemon of a test's own (dbus-daemon --session), so D-Bus clients
// talk the real wire protocol without touching the machine's buses. Ended
// on destruction.
class PrivateBus final {
public:
    // listen: a D-Bus address to listen on ("unix:path=..."), else the
    // daemon's own choice.
    explicit PrivateBus(const QString& listen = {});
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the daemon could not be started; problem() then says why.
    QString address() const { return m_address; }
    QString problem() const { return m_problem; }

private:
    QProcess m_daemon;
    QString m_address;
    QString m_problem;
};

} // namespace qel::test
