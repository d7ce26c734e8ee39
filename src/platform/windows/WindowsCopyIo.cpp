#include "platform/windows/WindowsCopyIo.h"

#include "platform/CopyPolicy.h"
#include "platform/windows/FolderEntries.h"
#include "platform/windows/LongPath.h"
#include "platform/windows/Volume.h"
#include "platform/windows/Win32Errors.h"
// Last: it defines macros named like the program's operations.
#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Win32.h"

namespace qel {

namespace {

// FILETIME's 100-nanosecond ticks from 1601 to 1970.
constexpr std::int64_t kTicksTo1970 = 116444736000000000;

std::int64_t nanoseconds(std::int64_t ticks) {
    return (ticks - kTicksTo1970) * 100;
}

std::int64_t nanoseconds(const FILETIME& t) {
    return nanoseconds(std::int64_t(ticks(t)));
}

FILETIME fileTime(std::int64_t ns) {
    const auto t = std::uint64_t(ns / 100 + kTicksTo1970);
    return {DWORD(t), DWORD(t >> 32)};
}

std::int64_t sizeOf(DWORD high, DWORD low) {
    return (std::int64_t(high) << 32) | low;
}

// Both kinds of the system's file facts hold these.
template <typename Facts> FileStatus statusOf(const Facts& facts) {
    FileStatus s;
    s.type = (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileStatus::Type::Folder
                                                                 : FileStatus::Type::Regular;
    s.size = sizeOf(facts.nFileSizeHigh, facts.nFileSizeLow);
    s.accessed = nanoseconds(facts.ftLastAccessTime);
    s.modified = nanoseconds(facts.ftLastWriteTime);
    return s;
}

FileStatus statusOf(const BY_HANDLE_FILE_INFORMATION& info) {
    FileStatus s = statusOf<BY_HANDLE_FILE_INFORMATION>(info);
    s.volume = info.dwVolumeSerialNumber;
    s.index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return s;
}

std::wstring joined(const QByteArray& folder, const QByteArray& name) {
    QByteArray path = folder;
    if (!path.endsWith('\\'))
        path += '\\';
    return longPath(path + name);
}

// Whether another program holds path open so that it cannot be replaced:
// its handle does not share deletion. A refused disk would refuse this open
// differently.
bool isHeldOpen(const std::wstring& path) {
    UniqueHandle probe(CreateFileW(path.c_str(), DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    return !probe.valid() && (GetLastError() == ERROR_SHARING_VIOLATION ||
                              GetLastError() == ERROR_LOCK_VIOLATION);
}

class OpenFile final : public CopyIo::File {
public:
    // A file read back is read unbuffered where the volume allows.
    OpenFile(std::wstring path, HANDLE handle, IoSide side, QString dosPath, bool readingBack)
        : m_path(std::move(path))
        , m_handle(handle)
        , m_side(side)
        , m_dosPath(std::move(dosPath))
        , m_readingBack(readingBack)
        , m_unbuffered(readingBack) {}

    [[noreturn]] void fail(DWORD code) const {
        SystemFailure failure = win32Failure(code, m_side, m_dosPath);
        failure.readingBack = m_readingBack;
        throw failure;
    }

    std::size_t read(char* data, std::size_t length, std::int64_t offset) override {
        for (;;) {
            OVERLAPPED at = position(offset);
            DWORD got = 0;
            if (ReadFile(m_handle.get(), data, DWORD(length), &got, &at))
                return got;
            const DWORD code = GetLastError();
            if (code == ERROR_HANDLE_EOF)
                return 0;
            if (!(m_unbuffered && code == ERROR_INVALID_PARAMETER))
                fail(code);
            // A volume that refuses unbuffered reads: its come through the cache.
            m_unbuffered = false;
            m_handle.reset(CreateFileW(m_path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (!m_handle.valid())
                fail(GetLastError());
        }
    }

    std::size_t write(const char* data, std::size_t length, std::int64_t offset) override {
        OVERLAPPED at = position(offset);
        DWORD put = 0;
        if (WriteFile(m_handle.get(), data, DWORD(length), &put, &at))
            return put; // a short write without an error is a disk that took what it could
        const DWORD code = GetLastError();
        if (code != ERROR_DISK_FULL && code != ERROR_HANDLE_DISK_FULL)
            fail(code);
        return put;
    }

    FileStatus status() override {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(m_handle.get(), &info))
            fail(GetLastError());
        return statusOf(info);
    }

    // Without the volume's serial: Wine reads the device for it.
    FileStatus version() override {
        FILE_BASIC_INFO basic{};
        LARGE_INTEGER size{};
        if (!GetFileInformationByHandleEx(m_handle.get(), FileBasicInfo, &basic, sizeof basic) ||
            !GetFileSizeEx(m_handle.get(), &size))
            fail(GetLastError());
        FileStatus s;
        s.type = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileStatus::Type::Folder
                                                                   : FileStatus::Type::Regular;
        s.size = size.QuadPart;
        s.accessed = nanoseconds(basic.LastAccessTime.QuadPart);
        s.modified = nanoseconds(basic.LastWriteTime.QuadPart);
        return s;
    }

    void setTimes(const FileStatus& source) override {
        // A volume that keeps no such time still holds a good copy.
        const FILETIME accessed = fileTime(source.accessed);
        const FILETIME modified = fileTime(source.modified);
        SetFileTime(m_handle.get(), nullptr, &accessed, &modified);
    }

    // Closed too, so the copy can be read back and moved; once is enough.
    void flush() override {
        if (m_handle.valid() && (!FlushFileBuffers(m_handle.get()) || !m_handle.close()))
            fail(GetLastError());
    }

private:
    static OVERLAPPED position(std::int64_t offset) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(std::uint64_t(offset) >> 32);
        return at;
    }

    std::wstring m_path;
    UniqueHandle m_handle;
    IoSide m_side;
    QString m_dosPath;
    bool m_readingBack;
    bool m_unbuffered;
};

} // namespace

WindowsCopyIo::WindowsCopyIo(QByteArray sourceDir, QByteArray targetDir, QString dosTargetDir,
                             VolumeFacts volume)
    : m_sourceDir(std::move(sourceDir))
    , m_targetDir(std::move(targetDir))
    , m_dosTargetDir(std::move(dosTargetDir))
    , m_volume(volume) {}

std::wstring WindowsCopyIo::sourcePath(const QByteArray& name) const {
    return joined(m_sourceDir, name);
}

std::wstring WindowsCopyIo::targetPath(const QByteArray& name) const {
    return joined(m_targetDir, name);
}

std::int64_t WindowsCopyIo::freeBytes() {
    return qel::freeBytes(longPath(m_targetDir));
}

bool WindowsCopyIo::sourceIsFile(const QByteArray& name) {
    const DWORD attributes = GetFileAttributesW(sourcePath(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<CopyIo::File> WindowsCopyIo::openSource(const QByteArray& name,
                                                        const QString& dosPath) {
    // Others may read and write it meanwhile; a writer shows in its status.
    const std::wstring path = sourcePath(name);
    UniqueHandle handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle.valid()) {
        const DWORD code = GetLastError();
        // Gone since the folder was read, or a link to nothing: not a file to copy.
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return nullptr;
        throw win32Failure(code, IoSide::Source, dosPath);
    }
    if (GetFileType(handle.get()) != FILE_TYPE_DISK)
        return nullptr;
    return std::make_unique<OpenFile>(path, handle.release(), IoSide::Source, dosPath, false);
}

FileStatus WindowsCopyIo::targetStatus(const QByteArray& name, const QString& dosPath) {
    const std::wstring path = targetPath(name);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND)
            return {};
        throw win32Failure(code, IoSide::Destination, dosPath);
    }
    FileStatus status = statusOf(data);
    // Which file it is, so that the source itself is never replaced.
    UniqueHandle handle(CreateFileW(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle.valid() && GetFileInformationByHandle(handle.get(), &info)) {
        status.volume = info.dwVolumeSerialNumber;
        status.index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    return status;
}

std::unique_ptr<CopyIo::File> WindowsCopyIo::createTemp(const QByteArray& name,
                                                        const FileStatus&,
                                                        const QString& dosTarget) {
    std::wstring path = targetPath(name);
    // Not shared: a later run's clean-up cannot delete it under us.
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        return std::make_unique<OpenFile>(std::move(path), handle, IoSide::Destination,
                                             dosTarget, false);
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
        return nullptr;
    throw win32Failure(code, IoSide::Destination, dosTarget);
}

void WindowsCopyIo::makeDurable(const std::vector<File*>& temps) {
    for (File* temp : temps)
        temp->flush();
}

std::unique_ptr<CopyIo::File> WindowsCopyIo::readBack(const QByteArray& name,
                                                      const QString& dosPath) {
    // A fresh handle: what a new reader of the medium gets, not the writer's view.
    std::wstring path = targetPath(name);
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
    // Some volumes refuse unbuffered reads; theirs come through the cache.
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        SystemFailure failure = win32Failure(GetLastError(), IoSide::Destination, dosPath);
        failure.readingBack = true;
        throw failure;
    }
    return std::make_unique<OpenFile>(std::move(path), handle, IoSide::Destination, dosPath,
                                      true);
}

void WindowsCopyIo::rename(const QByteArray& from, const QByteArray& to,
                           const QString& dosTarget) {
    const std::wstring target = targetPath(to);
    if (MoveFileExW(targetPath(from).c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return;
    const DWORD code = GetLastError();
    SystemFailure failure = win32Failure(code, IoSide::Destination, dosTarget);
    if (code == ERROR_ACCESS_DENIED && isHeldOpen(target))
        failure.trouble = Trouble::InUse;
    throw failure;
}

void WindowsCopyIo::remove(const QByteArray& name) {
    DeleteFileW(targetPath(name).c_str());
}

void WindowsCopyIo::removeStaleTemps() {
    // Best effort: a leftover we cannot remove costs only space. Left by any
    // earlier run, this program's own included; a copy in progress holds its
    // file open without sharing, so it stays.
    forEachEntry(m_targetDir, [&](const QString& name, unsigned long attributes) {
        if (isTempName(name) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(targetPath(name.toUtf8()).c_str());
    });
}

} // namespace qel
