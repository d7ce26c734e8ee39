#include "platform/linux/LinuxFile.h"

#include "platform/DosNames.h"
#include "platform/Error.h"
#include "platform/linux/ErrnoMapping.h"
#include "platform/linux/ShortName.h"
#include "platform/linux/UniqueFd.h"

#include <QStringList>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>

namespace qel {

namespace {

QDateTime localTime(const struct statx_timestamp& t) {
    return QDateTime::fromMSecsSinceEpoch(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

} // namespace

LinuxFile::LinuxFile(const struct statx& info, QString dosPath, QByteArray hostPath)
    : m_info(info)
    , m_dosPath(std::move(dosPath))
    , m_hostPath(std::move(hostPath)) {}

QDateTime LinuxFile::DateCreated() const {
    if (!(m_info.stx_mask & STATX_BTIME))
        throw Error(err::PathFileAccessError,
                    QStringLiteral("The file system keeps no creation time"));
    return localTime(m_info.stx_btime);
}

QDateTime LinuxFile::DateLastAccessed() const {
    return localTime(m_info.stx_atime);
}

QDateTime LinuxFile::DateLastModified() const {
    return localTime(m_info.stx_mtime);
}

QString LinuxFile::DrivePath() const {
    return m_dosPath.left(1) + u':';
}

std::int64_t LinuxFile::Size() const {
    return std::int64_t(m_info.stx_size);
}

QString LinuxFile::Path() const {
    return m_dosPath;
}

QString LinuxFile::ShortName() const {
    const qsizetype slash = m_hostPath.lastIndexOf('/');
    const QByteArray hostFolder = slash <= 0 ? QByteArray("/") : m_hostPath.left(slash);
    const QByteArray hostName = m_hostPath.mid(slash + 1);
    const QString name = m_dosPath.mid(m_dosPath.lastIndexOf(u'\\') + 1);
    if (isShortName(name))
        return name;

    const int fd = open(hostFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const QString dosFolder = m_dosPath.left(m_dosPath.lastIndexOf(u'\\'));
    if (fd < 0)
        throw describe(errnoFailure(errno, IoSide::Source, dosFolder));
    UniqueFd folder(fd);
    if (const auto real = fatShortName(folder.get(), hostName))
        return *real;

    DIR* dir = fdopendir(folder.release());
    if (!dir)
        throw describe(errnoFailure(errno, IoSide::Source, dosFolder));
    QStringList names;
    int readError = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            readError = errno;
            break;
        }
        const QByteArray entryName(entry->d_name);
        if (entryName == "." || entryName == "..")
            continue;
        names.append(hostNameToDos(entryName));
    }
    closedir(dir);
    if (readError != 0)
        throw describe(errnoFailure(readError, IoSide::Source, dosFolder));
    return generatedShortName(name, names);
}

} // namespace qel
