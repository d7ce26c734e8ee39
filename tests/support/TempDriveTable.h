#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QTemporaryDir>

namespace qel::test {

// A drive table of its own for a test: a temporary folder with a dosdevices
// folder of links, and XDG_CONFIG_HOME pointing at it while this object lives,
// so a LinuxDrives made in the test sees exactly the drives added here.
// Everything is restored and removed on destruction.
class TempDriveTable final {
public:
    TempDriveTable();
    ~TempDriveTable();
    TempDriveTable(const TempDriveTable&) = delete;
    TempDriveTable& operator=(const TempDriveTable&) = delete;

    // Links "<letter>:" to hostDir (which need not exist).
    void addDrive(QChar letter, const QString& hostDir);
    // A link to nothing: the drive is listed but not ready.
    void addDanglingDrive(QChar letter);

    // Makes a folder (with its parents) under root() and returns its path.
    QString makeDir(const QString& relative) const;
    // Writes a file (with its parent folders) under root() and returns its path.
    QString makeFile(const QString& relative, const QByteArray& content = {}) const;

    // Makes hostDir the process's current directory until destruction.
    void setCurrentDir(const QString& hostDir);

    // The temporary folder, for the drives' host folders.
    QString root() const { return m_dir.path(); }
    QString dosDevices() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfig;
    bool m_hadConfig = false;
    QByteArray m_oldCwd;
};

} // namespace qel::test
