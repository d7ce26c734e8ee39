#include "platform/SystemFailure.h"

#include "platform/CopyPolicy.h"

namespace qel {

Error describe(const SystemFailure& f) {
    const bool reading = f.side == IoSide::Source;
    const QString doing = f.readingBack ? QStringLiteral("reading back")
                          : reading     ? QStringLiteral("reading")
                                        : QStringLiteral("writing");
    switch (f.trouble) {
    case Trouble::Plain:
    case Trouble::OutOfRoom:
        return Error(f.number);
    case Trouble::PathMissing:
        return pathNotFound(f.path);
    case Trouble::NotAFolder:
        return Error(err::FileAlreadyExists,
                     QStringLiteral("A file stands where the folder %1 should be").arg(f.path));
    case Trouble::Unreadable:
        return Error(err::PathFileAccessError,
                     QStringLiteral("Cannot read %1: permission denied").arg(f.path));
    case Trouble::DeviceIo:
        return Error(err::DeviceIOError,
                     QStringLiteral("Device I/O error %1 %2").arg(doing, f.path));
    case Trouble::TooLarge:
        return Error(err::PathFileAccessError,
                     QStringLiteral("%1 is too large for the destination drive").arg(f.path));
    case Trouble::InUse:
        return fileInUseError(f.path);
    case Trouble::NameRefused:
        return nameRefusedError(f.path, f.path);
    case Trouble::Refused:
    case Trouble::Other:
        break;
    }
    const QString verb = f.readingBack ? QStringLiteral("read back")
                         : reading     ? QStringLiteral("read")
                                       : QStringLiteral("write");
    return Error(err::PathFileAccessError,
                 QStringLiteral("Cannot %1 %2: %3").arg(verb, f.path, f.systemText));
}

Error folderFailure(const SystemFailure& failure, const QString& dosFolder) {
    if (failure.trouble == Trouble::OutOfRoom)
        return Error(err::DiskFull,
                     QStringLiteral("Disk full: there is no room for the folder %1").arg(dosFolder));
    return describe(failure);
}

} // namespace qel
