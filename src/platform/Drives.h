#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <optional>

namespace qel {

// One entry of a drive list: the letter (upper case) and the text the list
// shows, which starts with the letter and a colon ("a:", "C:", "a: [STICK]").
struct DriveEntry {
    QChar letter;
    QString text;
    bool removable = false;

    friend bool operator==(const DriveEntry&, const DriveEntry&) = default;
};

// The machine's drives as the program sees them: lettered DOS drives, each
// backed by a host directory. Every DOS path the logic uses goes through here
// at the last moment before it touches the host file system.
class Drives {
public:
    virtual ~Drives() = default;

    // Drive entries in list order. Never fails: a drive whose medium is
    // missing is still listed (it is only not ready).
    virtual QList<DriveEntry> entries() const = 0;

    // Whether the drive with this letter (either case) exists and has a medium.
    virtual bool isReady(QChar letter) const = 0;

    // Makes the drive ready when it can be (mounts a medium that is plugged in
    // but not mounted). Throws Error 68 when the drive stays not ready or is
    // unknown; its description may say why.
    virtual void makeReady(QChar letter) {
        if (!isReady(letter))
            throw Error(err::DeviceUnavailable);
    }

    // The drive's remembered current directory as a DOS path ("C:\DATA", "C:\").
    // Throws Error 68 when the drive is not ready or unknown; a medium that is
    // plugged in but not mounted is mounted first, as by makeReady.
    virtual QString currentDirectory(QChar letter) const = 0;

    // Remembers dosPath (absolute, with its drive letter) as its drive's current
    // directory. Never fails; it does not check that the folder exists.
    virtual void setCurrentDirectory(const QString& dosPath) = 0;

    // The DOS directory the lists open on at start-up: the process's current
    // directory mapped through the table, or the root of the drive that covers
    // "/" when the table has no entry for it. Never fails.
    virtual QString startDirectory() const = 0;

    // Maps an absolute DOS path ("C:\DATA\X.HST", separators doubled or not)
    // to a host path, mounting its medium first as currentDirectory does.
    // Throws Error 68 when its drive is not ready or unknown,
    // 76 when the text is not an absolute DOS path.
    virtual QByteArray toHostPath(const QString& dosPath) const = 0;

    // Maps a host path back to a DOS path through the drive whose host
    // directory holds it most closely; nullopt when no drive holds it.
    virtual std::optional<QString> toDosPath(const QByteArray& hostPath) const = 0;
};

} // namespace qel
