#pragma once

#include "platform/Error.h"
#include "platform/Launcher.h"

#include <QStringList>
#include <optional>

namespace qel::test {

// Finds the files it was told exist (DOS paths, any case) and records what
// it was asked to find and to start; starting fails on demand.
class FakeLauncher final : public Launcher {
public:
    void addFile(const QString& dosPath) { m_files << dosPath; }
    void failStart(Error error) { m_startError = std::move(error); }

    const QStringList& looked() const { return m_looked; }
    const QStringList& started() const { return m_started; }

    QString findFile(const QString& path) override;
    void startProgram(const QString& path) override;

private:
    QStringList m_files;
    std::optional<Error> m_startError;
    QStringList m_looked;
    QStringList m_started;
};

} // namespace qel::test
