#include "TempDriveTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace qel::test {

namespace {

void fail(const QString& what) {
    throw std::runtime_error(what.toStdString());
}

// Removes a tree by its raw names: tests make names that are not UTF-8, which
// a QString-based removal cannot name and would leave behind.
void removeTree(int parent, const char* name) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        ::unlinkat(parent, name, 0);
        return;
    }
    if (DIR* dir = ::fdopendir(fd)) {
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                removeTree(::dirfd(dir), entry->d_name);
        }
        ::closedir(dir);
    } else {
        ::close(fd);
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

} // namespace

TempDriveTable::TempDriveTable()
    : m_dir(QDir::tempPath() + QStringLiteral("/qel-drives-XXXXXX")) {
    if (!m_dir.isValid())
        fail(QStringLiteral("cannot make a temporary folder: ") + m_dir.errorString());
    m_dir.setAutoRemove(false);
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
    removeTree(AT_FDCWD, QFile::encodeName(m_dir.path()).constData());
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
