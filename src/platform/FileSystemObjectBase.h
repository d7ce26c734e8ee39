#pragma once

#include "platform/CopyIo.h"
#include "platform/CopySequence.h"
#include "platform/FileSystemObject.h"

#include <QChar>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace qel {

class DriveLock;
class Drives;

// What both platforms' file-system objects share: the steps of CopyFile
// (the pattern and its matches, the target, the items, the run's medium)
// over the platform's own calls.
class FileSystemObjectBase : public FileSystemObject {
public:
    void CopyFile(const QString& source, const QString& destination, bool overwrite) final;
    std::shared_ptr<void> holdDrive(const QString& drive) final;

    // Puts wrap between every copy and the system's calls (tests fail them on demand).
    using CopyIoWrapper = std::function<std::unique_ptr<CopyIo>(std::unique_ptr<CopyIo>)>;
    void wrapCopyIo(CopyIoWrapper wrap) { m_wrap = std::move(wrap); }

    // A folder entry: its host name and the DOS name it shows.
    struct Entry {
        QByteArray hostName;
        QString dosName;
    };

protected:
    explicit FileSystemObjectBase(const Drives& drives);

    // The host path of dosPath on a destination drive: 71 where the drive is
    // not ready, since no medium is the disk the user is asked to insert.
    QByteArray destinationHostPath(const QString& dosPath) const;

    // The entries of the source folder host (named dosFolder) that may be
    // files. Throws a SystemFailure; 76 when the folder is missing.
    virtual std::vector<Entry> sourceEntries(const QByteArray& host, const QString& dosFolder) = 0;
    // The host name a DOS name stands for.
    virtual QByteArray hostName(const QString& dosName) const = 0;
    // The two folders of a copy. Throws a SystemFailure: 76 when the target
    // folder is missing, 58 when a file stands there.
    virtual std::unique_ptr<CopyIo> openCopy(const QByteArray& sourceHost,
                                             const QString& dosSourceFolder,
                                             const QByteArray& targetHost,
                                             const QString& dosTargetFolder) = 0;
    // Throws 71, now and at each call of what it returns, when the drive of
    // dosFolder no longer holds the run's medium.
    virtual std::function<void()> mediumChecker(const QString& dosFolder) = 0;

    const Drives& m_drives;

private:
    CopyIoWrapper m_wrap;
    CopySequence m_sequence;
    std::map<QChar, std::weak_ptr<DriveLock>> m_held;
};

} // namespace qel
