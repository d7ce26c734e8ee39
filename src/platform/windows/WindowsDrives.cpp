#include "platform/windows/WindowsDrives.h"

#include "platform/DosPath.h"
#include "platform/windows/Volume.h"
#include "platform/windows/Win32.h"

#include <QDir>

namespace qel {

namespace {

QString dosRootOf(QChar letter) {
    return QString(letter) + QStringLiteral(":\\");
}

bool hasDrive(QChar letter) {
    const int bit = letter.unicode() - u'A';
    return bit >= 0 && bit < 26 && (GetLogicalDrives() & (1u << bit));
}

// Floppy and card drives whose medium may be missing: listed by their
// letter alone, never asked for a label (that would spin the drive).
bool isRemovable(QChar letter) {
    return GetDriveTypeW(volumeRoot(letter).c_str()) == DRIVE_REMOVABLE;
}

// Whether a medium answers, and its label when it does.
bool volumeLabel(QChar letter, QString* label) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(volumeRoot(letter).c_str(), name, MAX_PATH + 1, nullptr, nullptr,
                               nullptr, nullptr, 0))
        return false;
    if (label)
        *label = QString::fromWCharArray(name);
    return true;
}

bool isFolder(const QString& dosPath) {
    const DWORD attributes = GetFileAttributesW(dosPath.toStdWString().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

WindowsDrives::WindowsDrives() = default;

QList<DriveEntry> WindowsDrives::entries() const {
    QList<DriveEntry> list;
    const DWORD present = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(present & (1u << i)))
            continue;
        const QChar letter(u'A' + i);
        const UINT type = GetDriveTypeW(volumeRoot(letter).c_str());
        if (type == DRIVE_UNKNOWN)
            continue;
        // A letter whose root is gone lost its medium: listed, not ready.
        DriveEntry entry{letter, {}, type == DRIVE_REMOVABLE || type == DRIVE_NO_ROOT_DIR};
        entry.text = QString(entry.removable ? letter.toLower() : letter) + u':';
        QString label;
        // Labels for the drives that are always there; removable ones would
        // be woken (or wait for a missing disk) on every refresh.
        if (!entry.removable && volumeLabel(letter, &label) && !label.isEmpty())
            entry.text += QStringLiteral(" [%1]").arg(label);
        list.append(entry);
    }
    return list;
}

bool WindowsDrives::isReady(QChar letter) const {
    letter = letter.toUpper();
    // A letter whose root is gone (a mapping to nothing) may still answer
    // for its volume: the root itself must be there.
    return hasDrive(letter) && GetDriveTypeW(volumeRoot(letter).c_str()) != DRIVE_NO_ROOT_DIR &&
           volumeLabel(letter, nullptr) && isFolder(dosRootOf(letter));
}

QString WindowsDrives::currentDirectory(QChar letter) const {
    letter = letter.toUpper();
    if (!isReady(letter))
        throw Error(err::DeviceUnavailable);
    QString remembered;
    {
        std::lock_guard lock(m_mutex);
        remembered = m_currentDirs.value(letter);
    }
    // A folder removed (or a medium changed) since it was remembered leaves
    // the drive at a place that still exists rather than failing for ever.
    if (!remembered.isEmpty() && isFolder(remembered))
        return remembered;
    const QString start = startDirectory();
    if (dosDriveLetter(start) == letter)
        return start;
    return dosRootOf(letter);
}

void WindowsDrives::setCurrentDirectory(const QString& dosPath) {
    const auto path = DosPath::parse(dosPath);
    if (!path)
        return;
    std::lock_guard lock(m_mutex);
    m_currentDirs.insert(path->drive, path->toString());
}

QString WindowsDrives::startDirectory() const {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    if (length > 0 && length <= MAX_PATH)
        if (const auto dos = toDosPath(QString::fromWCharArray(buffer, int(length)).toUtf8()))
            return *dos;
    // A folder with no letter (a network path): the system's own drive.
    wchar_t system[MAX_PATH + 1] = {};
    if (GetSystemWindowsDirectoryW(system, MAX_PATH + 1) >= 2 && system[1] == L':')
        return dosRootOf(QChar(system[0]).toUpper());
    return QStringLiteral("C:\\");
}

QByteArray WindowsDrives::toHostPath(const QString& dosPath) const {
    const auto path = DosPath::parse(dosPath);
    if (!path)
        throw Error(err::PathNotFound);
    if (!isReady(path->drive))
        throw Error(err::DeviceUnavailable);
    DosPath host = *path;
    host.lowerCaseDrive = false;
    return host.toString().toUtf8();
}

std::optional<QString> WindowsDrives::toDosPath(const QByteArray& hostPath) const {
    const QString native = QDir::toNativeSeparators(QString::fromUtf8(hostPath));
    const auto path = DosPath::parse(native);
    if (!path || !hasDrive(path->drive))
        return std::nullopt;
    DosPath dos = *path;
    dos.lowerCaseDrive = isRemovable(dos.drive);
    return dos.toString();
}

} // namespace qel
