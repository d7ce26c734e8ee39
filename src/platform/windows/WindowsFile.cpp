#include "platform/windows/WindowsFile.h"

#include "platform/Error.h"
#include "platform/windows/LongPath.h"
#include "platform/windows/Win32Errors.h"
// Last: it defines macros named like the program's operations.
#include "platform/windows/Win32.h"

#include <vector>

namespace qel {

namespace {

// FILETIME counts 100 ns from 1601; Qt counts milliseconds from 1970.
QDateTime fromFileTime(std::uint64_t ticks) {
    constexpr std::int64_t kUnixEpoch = 116444736000000000;
    return QDateTime::fromMSecsSinceEpoch((std::int64_t(ticks) - kUnixEpoch) / 10000);
}

} // namespace

WindowsFile::WindowsFile(const std::uint64_t times[3], std::int64_t size, QString dosPath,
                         QByteArray hostPath)
    : m_created(times[0])
    , m_accessed(times[1])
    , m_modified(times[2])
    , m_size(size)
    , m_dosPath(std::move(dosPath))
    , m_hostPath(std::move(hostPath)) {}

QDateTime WindowsFile::DateCreated() const {
    if (m_created == 0)
        throw Error(err::PathFileAccessError,
                    QStringLiteral("The file system keeps no creation time"));
    return fromFileTime(m_created);
}

QDateTime WindowsFile::DateLastAccessed() const {
    return fromFileTime(m_accessed);
}

QDateTime WindowsFile::DateLastModified() const {
    return fromFileTime(m_modified);
}

QString WindowsFile::DrivePath() const {
    return m_dosPath.left(1) + u':';
}

std::int64_t WindowsFile::Size() const {
    return m_size;
}

QString WindowsFile::Path() const {
    return m_dosPath;
}

QString WindowsFile::ShortName() const {
    const std::wstring path = longPath(m_hostPath);
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    std::vector<wchar_t> buffer(needed ? needed : 1);
    const DWORD length = needed ? GetShortPathNameW(path.c_str(), buffer.data(), needed) : 0;
    if (length == 0 || length >= needed)
        throw describe(win32Failure(GetLastError(), IoSide::Source, m_dosPath));
    const QString shortPath = QString::fromWCharArray(buffer.data(), int(length));
    return shortPath.mid(shortPath.lastIndexOf(u'\\') + 1);
}

} // namespace qel
