#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/LinuxFileSystemObject.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace qel {

namespace {

DriveTableSources withMedia(DriveTableSources sources, RemovableMedia& media) {
    sources.media = &media;
    return sources;
}

// The program's folder as the logic sees it: a DOS path through the drive
// table. A folder no drive holds still gets a path, written as the root
// drive would show it, so the help file's name stays meaningful.
QString programDirectory(const Drives& drives, const QByteArray& hostDir) {
    if (const auto dosPath = drives.toDosPath(hostDir))
        return *dosPath;
    QString fallback = QStringLiteral("Z:") + QDir::cleanPath(QFile::decodeName(hostDir));
    fallback.replace(u'/', u'\\');
    return fallback.size() == 2 ? fallback + u'\\' : fallback;
}

} // namespace

LinuxPlatform::LinuxPlatform()
    : LinuxPlatform(DriveTableSources::system(), [] { return QDBusConnection::systemBus(); }) {}

LinuxPlatform::LinuxPlatform(DriveTableSources sources, std::function<QDBusConnection()> bus)
    : m_media(std::move(bus))
    , m_drives(withMedia(std::move(sources), m_media))
    , m_lister(m_drives)
    , m_hostProgramDir(QFile::encodeName(QCoreApplication::applicationDirPath()))
    , m_app(programDirectory(m_drives, m_hostProgramDir), QEL_VERSION_MAJOR, QEL_VERSION_MINOR,
            QEL_VERSION_PATCH)
    , m_launcher(m_drives)
    , m_scheduler(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                  QCoreApplication::applicationFilePath()) {}

std::unique_ptr<FileSystemObject> LinuxPlatform::makeFileSystemObject() {
    return std::make_unique<LinuxFileSystemObject>(m_drives);
}

} // namespace qel
