#include "platform/CopyPolicy.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cstdlib>

namespace qel {

namespace {

QString kilobytes(std::int64_t bytes) {
    return QStringLiteral("%1 KB").arg(std::max<std::int64_t>(1, (bytes + 1023) / 1024));
}

QString outcome(bool replacing) {
    return replacing ? QStringLiteral("replaced safely") : QStringLiteral("copied");
}

QByteArray randomLetters(const char* alphabet, int length, int count) {
    QByteArray letters;
    for (int i = 0; i < count; ++i)
        letters += alphabet[QRandomGenerator::system()->bounded(length)];
    return letters;
}

} // namespace

bool isTempName(const QString& name) {
    if (name.startsWith(QLatin1String(kTempPrefix)))
        return true;
    // "~QEL" + four letters or digits + ".TMP", in either case (a FAT driver may show it lower).
    const auto isAlnum = [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 0x80; };
    return name.size() == 12 && name.startsWith(u"~QEL", Qt::CaseInsensitive) &&
           name.endsWith(u".TMP", Qt::CaseInsensitive) &&
           std::all_of(name.begin() + 4, name.begin() + 8, isAlnum);
}

QByteArray tempFileName(const QByteArray& targetName, bool shortName, qsizetype maxLength) {
    static constexpr char kUpper[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static constexpr char kMixed[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    if (shortName)
        return "~QEL" + randomLetters(kUpper, int(sizeof kUpper - 1), 4) + ".TMP";
    QByteArray name = kTempPrefix + randomLetters(kMixed, int(sizeof kMixed - 1), 6);
    if (name.size() + 1 + targetName.size() <= maxLength)
        name += '-' + targetName;
    return name;
}

bool fatHoldsName(const QString& name, bool asciiOnly) {
    if (name.isEmpty() || name.size() > 255 || name.endsWith(u' ') || name.endsWith(u'.'))
        return false;
    return std::none_of(name.begin(), name.end(), [asciiOnly](QChar c) {
        return c.unicode() < 0x20 || (asciiOnly && c.unicode() > 0x7e) ||
               QStringView(u"\"*/:<>?\\|").contains(c);
    });
}

std::optional<std::pair<std::size_t, std::size_t>>
caseCollision(const std::vector<QString>& targetNames, const std::function<bool(std::size_t)>& isFile) {
    std::vector<std::pair<QString, std::size_t>> folded;
    folded.reserve(targetNames.size());
    for (std::size_t i = 0; i < targetNames.size(); ++i)
        folded.emplace_back(targetNames[i].toCaseFolded(), i);
    std::stable_sort(folded.begin(), folded.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i + 1 < folded.size(); ++i) {
        const std::size_t first = folded[i].second;
        const std::size_t second = folded[i + 1].second;
        if (folded[i].first == folded[i + 1].first &&
            targetNames[first] != targetNames[second] && isFile(first) && isFile(second))
            return std::pair{first, second};
    }
    return std::nullopt;
}

bool copyHoldingStill(const QString& dosSource, const std::function<bool()>& copyOnce) {
    try {
        return copyOnce();
    } catch (const SourceChanged&) {
    }
    try {
        return copyOnce();
    } catch (const SourceChanged&) {
        throw sourceChangedError(dosSource);
    }
}

std::int64_t roomFor(std::int64_t size) {
    return (size + 4095) / 4096 * 4096;
}

std::int64_t missingRoom(std::int64_t size, std::int64_t freeBytes) {
    return freeBytes < 0 ? 0 : std::max<std::int64_t>(0, roomFor(size) - freeBytes);
}

bool sameTimeOnDisk(std::int64_t source, std::int64_t target, std::int64_t unitsPerSecond) {
    return source == target ||
           (target % unitsPerSecond == 0 && std::abs(source - target) <= 2 * unitsPerSecond);
}

Error caseCollisionError(const QString& dosFirst, const QString& dosSecond,
                         const QString& dosFolder) {
    return Error(err::FileAlreadyExists,
                 QStringLiteral("%1 and %2 differ only in case, and %3 does not tell such names "
                                "apart, so one copy would replace the other. Rename one of them, "
                                "then back up again.")
                     .arg(dosFirst, dosSecond, dosFolder));
}

Error sourceChangedError(const QString& dosSource) {
    return Error(err::PathFileAccessError,
                 QStringLiteral("%1 changed while it was being copied. Close the program that "
                                "writes to it, then back up again.")
                     .arg(dosSource));
}

Error sourceShortError(const QString& dosSource) {
    return Error(err::PathFileAccessError,
                 QStringLiteral("Cannot read %1: it gives fewer bytes than its size. Check the "
                                "disk it is on, then back up again.")
                     .arg(dosSource));
}

Error noRoomError(const QString& dosTarget, std::int64_t missingBytes, bool replacing) {
    return Error(err::DiskFull, QStringLiteral("Disk full: %1 needs %2 more to be %3")
                                    .arg(dosTarget, kilobytes(missingBytes), outcome(replacing)));
}

Error noEntryError(const QString& dosFolder, const QString& dosTarget, bool replacing) {
    return Error(err::DiskFull,
                 QStringLiteral("Disk full: %1 has no room for another file, so %2 cannot be %3")
                     .arg(dosFolder, dosTarget, outcome(replacing)));
}

Error folderInTheWayError(const QString& dosTarget) {
    return Error(err::PathFileAccessError,
                 QStringLiteral("A folder stands where %1 should go").arg(dosTarget));
}

Error tooLargeForFatError(const QString& dosSource, const QString& dosFolder) {
    return Error(err::PathFileAccessError,
                 QStringLiteral("%1 is larger than 4 GB and cannot be copied to %2: a file on a "
                                "FAT disk holds at most 4 GB")
                     .arg(dosSource, dosFolder));
}

Error nameRefusedError(const QString& dosSource, const QString& dosFolder) {
    return Error(err::PathFileAccessError,
                 QStringLiteral("%1: the disk in drive %2 cannot hold this name (FAT disks take "
                                "no : * ? \" < > | or control characters, and some no letters "
                                "beyond A to Z). Rename it, then back up again.")
                     .arg(dosSource, dosFolder.left(2)));
}

Error renameRefusedError(const QString& dosTarget, const QString& reason) {
    return Error(err::PathFileAccessError,
                 QStringLiteral("%1 could not be put in place: the disk in drive %2 refused it "
                                "(%3). The older copy is kept.")
                     .arg(dosTarget, dosTarget.left(2), reason));
}

Error fileInUseError(const QString& dosPath) {
    return Error(err::PathFileAccessError,
                 QStringLiteral("%1 is in use by another program; close it and try again")
                     .arg(dosPath));
}

Error driveBusyError(const QString& drive) {
    return Error(err::PathFileAccessError,
                 QStringLiteral("Another backup to drive %1 is running. Wait until it has ended, "
                                "then back up again.")
                     .arg(drive));
}

Error copyMismatchError(const QString& dosSource, const QString& dosFolder) {
    return Error(err::DeviceIOError,
                 QStringLiteral("The copy of %1 on drive %2 does not match the original; the "
                                "disk may be faulty")
                     .arg(dosSource, dosFolder.left(2)));
}

} // namespace qel
