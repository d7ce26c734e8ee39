#include "TempDriveTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace qel::test {

namespace {

void fail(const QString& what) {
    throw std::runtime_error(what.toStdString());
}

} // namespace

TempDriveTable::TempDriveTable()
    : m_dir(QDir::tempPath() + QStringLiteral("/qel-drives-XXXXXX")) {
    if (!m_dir.isValid())
        fail(QStringLiteral("cannot make a temporary folder: ") + m_dir.errorString());
    // Hidden, so a lister looking at root() does not see it.
    const QString config = m_dir.path() + QStringLiteral("/.config");
    if (!QDir().mkpath(config + QStringLiteral("/qel-trekkel/dosdevices")))
        fail(QStringLiteral("cannot make ") + config);
    m_hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
}

TempDriveTable::~TempDriveTable() {
    if (m_hadConfig)
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    else
        qunsetenv("XDG_CONFIG_HOME");
    if (!m_oldCwd.isEmpty() && ::chdir(m_oldCwd.constData()) != 0)
        std::abort(); // later tests would run in a removed folder
}

QString TempDriveTable::dosDevices() const {
    return m_dir.path() + QStringLiteral("/.config/qel-trekkel/dosdevices");
}

void TempDriveTable::addDrive(QChar letter, const QString& hostDir) {
    const QString link = dosDevices() + u'/' + letter.toLower() + u':';
    QFile::remove(link);
    if (::symlink(QFile::encodeName(hostDir).constData(), QFile::encodeName(link).constData()) != 0)
        fail(QStringLiteral("cannot link ") + link);
}

void TempDriveTable::addDanglingDrive(QChar letter) {
    addDrive(letter, m_dir.path() + QStringLiteral("/no-such-folder-") + letter);
}

QString TempDriveTable::makeDir(const QString& relative) const {
    const QString path = m_dir.path() + u'/' + relative;
    if (!QDir().mkpath(path))
        fail(QStringLiteral("cannot make ") + path);
    return path;
}

QString TempDriveTable::makeFile(const QString& relative, const QByteArray& content) const {
    const QString path = m_dir.path() + u'/' + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        fail(QStringLiteral("cannot write ") + path);
    return path;
}

void TempDriveTable::setCurrentDir(const QString& hostDir) {
    if (m_oldCwd.isEmpty()) {
        char* cwd = ::getcwd(nullptr, 0);
        if (!cwd)
            fail(QStringLiteral("cannot read the current directory"));
        m_oldCwd = cwd;
        std::free(cwd);
    }
    if (::chdir(QFile::encodeName(hostDir).constData()) != 0)
        fail(QStringLiteral("cannot change to ") + hostDir);
}

} // namespace qel::test
