#include "platform/windows/CopyEngine.h"

#include "platform/CopyPolicy.h"
#include "platform/Error.h"
#include "platform/windows/FolderEntries.h"
#include "platform/windows/LongPath.h"
#include "platform/windows/Win32Errors.h"
#include "platform/windows/Volume.h"
// Last: it defines macros named like the program's operations.
#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Win32.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <xxhash.h>

namespace qel {

namespace {

// A multiple of any sector size, as unbuffered reads need.
constexpr DWORD kBufferSize = 1 << 20;

std::wstring joined(const QByteArray& folder, const QString& name) {
    QByteArray path = folder;
    if (!path.endsWith('\\'))
        path += '\\';
    return longPath(path + name.toUtf8());
}

std::int64_t sizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (std::int64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

// The same contents as far as the file's status tells: a writer in between
// changes the size or the last-write time.
bool sameVersion(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return sizeOf(a) == sizeOf(b) && ticks(a.ftLastWriteTime) == ticks(b.ftLastWriteTime);
}

// FILETIME's 100-nanosecond ticks.
constexpr std::int64_t kTicksPerSecond = 10'000'000;

// Reads at offset without moving the handle's position; got is 0 at the end.
bool readAt(HANDLE handle, char* data, DWORD length, std::int64_t offset, DWORD& got) {
    OVERLAPPED at{};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(std::uint64_t(offset) >> 32);
    got = 0;
    if (ReadFile(handle, data, length, &got, &at))
        return true;
    return GetLastError() == ERROR_HANDLE_EOF;
}

} // namespace

struct CopyEngine::Buffers {
    Buffers()
        : data(allocate())
        , other(allocate())
        , hash(XXH3_createState()) {
        if (!data || !other || !hash)
            throw std::bad_alloc();
    }
    ~Buffers() {
        VirtualFree(data, 0, MEM_RELEASE);
        VirtualFree(other, 0, MEM_RELEASE);
        XXH3_freeState(hash);
    }
    // Page-aligned, as unbuffered reads need.
    static char* allocate() {
        return static_cast<char*>(
            VirtualAlloc(nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }

    char* data;
    char* other;
    XXH3_state_t* hash;
};

// One call's folders and the volume it started on.
struct CopyEngine::Step {
    QByteArray sourceDir;
    QByteArray targetDir;
    const QString& dosTargetDir;
    bool overwrite;
    std::wstring root;         // "A:\"
    std::wstring targetFolder; // for the room left
    VolumeFacts volume;
    std::vector<Placed> placed; // copies put in place, in order
};

struct CopyEngine::Placed {
    const Item* item;
    std::int64_t size;
    std::uint64_t checksum;
};

struct CopyEngine::Source {
    const Item& item;
    UniqueHandle handle;
    BY_HANDLE_FILE_INFORMATION info{};
};

// A copy on its way to its target: closed, then deleted, unless it was renamed.
class CopyEngine::TempFile {
public:
    TempFile(std::wstring path, HANDLE handle)
        : m_path(std::move(path))
        , m_handle(handle) {}
    TempFile(TempFile&&) = default;
    ~TempFile() {
        m_handle.reset();
        if (!m_path.empty())
            DeleteFileW(m_path.c_str());
    }
    HANDLE handle() const { return m_handle.get(); }
    const std::wstring& path() const { return m_path; }
    bool close() { return m_handle.close(); }
    void renamed() { m_path.clear(); }

    std::int64_t written = 0;
    std::uint64_t checksum = 0;

private:
    std::wstring m_path;
    UniqueHandle m_handle;
};

CopyEngine::CopyEngine()
    : m_buffers(std::make_unique<Buffers>()) {}

CopyEngine::~CopyEngine() = default;

int CopyEngine::copy(const QByteArray& sourceDir, const QByteArray& targetDir,
                            const QString& dosTargetDir, const std::vector<Item>& items,
                            bool overwrite) {
    const QString target = QString::fromUtf8(targetDir);
    Step step{sourceDir,
              targetDir,
              dosTargetDir,
              overwrite,
              (target.left(2) + u'\\').toStdWString(),
              longPath(targetDir),
              {},
              {}};
    const auto volume = volumeFacts(step.root);
    if (!volume)
        throw rootError(GetLastError(), IoSide::Destination, dosTargetDir);
    step.volume = *volume;
    removeStaleTemps(step);
    checkCaseCollisions(step, items);

    int regular = 0;
    for (const Item& item : items)
        regular += copyHoldingStill(item.dosSource, [&] { return copyOne(step, item); }) ? 1 : 0;
    // Some FAT drivers write a renamed file's directory entries over data of
    // its neighbours: only copies still whole after every rename count.
    if (step.volume.isFat()) {
        for (const Placed& copy : step.placed)
            verify(step, *copy.item, joined(step.targetDir, copy.item->targetName), copy.size,
                   copy.checksum);
    }
    return regular;
}

void CopyEngine::removeStaleTemps(const Step& step) const {
    // Best effort: a leftover we cannot remove costs only space.
    forEachEntry(step.targetDir, [&](const QString& name, unsigned long attributes) {
        // Left by any earlier run, this program's own included; a copy in
        // progress holds its file open without sharing, so it stays.
        if (isTempName(name) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(joined(step.targetDir, name).c_str());
    });
}

void CopyEngine::checkCaseCollisions(const Step& step,
                                            const std::vector<Item>& items) const {
    // Every Windows volume ignores case in names; only a case-sensitive source
    // folder (Wine's Unix folders) can hold two such names at all.
    std::vector<QString> names;
    names.reserve(items.size());
    for (const Item& item : items)
        names.push_back(item.targetName);
    const auto pair = caseCollision(names, [&](std::size_t i) {
        const DWORD attributes =
            GetFileAttributesW(joined(step.sourceDir, items[i].sourceName).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    });
    if (pair)
        throw caseCollisionError(items[pair->first].dosSource, items[pair->second].dosSource,
                                 step.dosTargetDir);
}

bool CopyEngine::copyOne(Step& step, const Item& item) {
    // Others may read and write it meanwhile; a writer shows in its status.
    Source source{
        item, UniqueHandle(CreateFileW(joined(step.sourceDir, item.sourceName).c_str(),
                                       GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr))};
    if (!source.handle.valid()) {
        const DWORD code = GetLastError();
        // Gone since the folder was read, or a link to nothing: not a file to copy.
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return false;
        throw win32Error(code, IoSide::Source, item.dosSource);
    }
    if (!GetFileInformationByHandle(source.handle.get(), &source.info))
        throw win32Error(GetLastError(), IoSide::Source, item.dosSource);
    if (GetFileType(source.handle.get()) != FILE_TYPE_DISK ||
        (source.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;

    const std::wstring target = joined(step.targetDir, item.targetName);
    bool replacing = false;
    WIN32_FILE_ATTRIBUTE_DATA existing{};
    if (GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &existing)) {
        if (existing.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            throw folderInTheWayError(item.dosTarget);
        if (!step.overwrite)
            throw Error(err::FileAlreadyExists);
        if (alreadyThere(source, target))
            return true;
        replacing = true;
    } else if (const DWORD code = GetLastError(); code != ERROR_FILE_NOT_FOUND) {
        throw win32Error(code, IoSide::Destination, item.dosTarget);
    }

    const std::int64_t size = sizeOf(source.info);
    if (size > step.volume.largestFile())
        throw tooLargeForFatError(item.dosSource, step.dosTargetDir);
    if (step.volume.isFat()) {
        // Its temporary name is an 8.3 one: FAT's rules are asked here,
        // before any data is written.
        if (!fatHoldsName(item.targetName, false))
            throw nameRefusedError(item.dosSource, step.dosTargetDir);
        // FAT says its room exactly and compresses nothing: what cannot fit
        // is not written at all.
        if (const std::int64_t missing = missingRoom(size, freeBytes(step.targetFolder)))
            throw noRoomError(item.dosTarget, missing, replacing);
    }

    TempFile temp = createTemp(step, item, replacing);
    copyData(source, temp, replacing);
    BY_HANDLE_FILE_INFORMATION after{};
    if (!GetFileInformationByHandle(source.handle.get(), &after))
        throw win32Error(GetLastError(), IoSide::Source, item.dosSource);
    if (!sameVersion(source.info, after))
        throw SourceChanged{};
    if (temp.written != size)
        throw sourceShortError(item.dosSource);
    // A volume that keeps no such time still holds a good copy.
    SetFileTime(temp.handle(), nullptr, &source.info.ftLastAccessTime,
                &source.info.ftLastWriteTime);
    if (!FlushFileBuffers(temp.handle()) || !temp.close())
        throw win32Error(GetLastError(), IoSide::Destination, item.dosTarget);
    verify(step, item, temp.path(), size, temp.checksum);
    // A writer may change a file without its size or time (a mapped view, or
    // a time set only when it closes): the copy is a version the file really
    // had only if its bytes are still those read.
    if (hashSource(source) != temp.checksum)
        throw SourceChanged{};

    checkSameVolume(step);
    if (!MoveFileExW(temp.path().c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        if (code == ERROR_ACCESS_DENIED && isHeldOpen(target))
            throw fileInUseError(item.dosTarget);
        throw win32Error(code, IoSide::Destination, item.dosTarget);
    }
    temp.renamed();
    step.placed.push_back({&item, size, temp.checksum});
    return true;
}

std::uint64_t CopyEngine::hashSource(const Source& source) {
    XXH3_64bits_reset(m_buffers->hash);
    for (std::int64_t offset = 0;;) {
        DWORD got = 0;
        if (!readAt(source.handle.get(), m_buffers->data, kBufferSize, offset, got))
            throw win32Error(GetLastError(), IoSide::Source, source.item.dosSource);
        if (got == 0)
            break;
        XXH3_64bits_update(m_buffers->hash, m_buffers->data, got);
        offset += got;
    }
    return XXH3_64bits_digest(m_buffers->hash);
}

bool CopyEngine::isHeldOpen(const std::wstring& path) {
    // Another program's handle that does not share deletion keeps the file
    // from being replaced; a refused disk would refuse this open differently.
    UniqueHandle probe(CreateFileW(path.c_str(), DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    return !probe.valid() && (GetLastError() == ERROR_SHARING_VIOLATION ||
                              GetLastError() == ERROR_LOCK_VIOLATION);
}

bool CopyEngine::alreadyThere(const Source& source, const std::wstring& target) {
    UniqueHandle out(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    // Anything unreadable or different is simply copied, as if it were not there.
    if (!out.valid() || !GetFileInformationByHandle(out.get(), &info))
        return false;
    if (info.dwVolumeSerialNumber == source.info.dwVolumeSerialNumber &&
        info.nFileIndexHigh == source.info.nFileIndexHigh &&
        info.nFileIndexLow == source.info.nFileIndexLow)
        return true; // the source itself
    const std::int64_t size = sizeOf(source.info);
    if (sizeOf(info) != size ||
        !sameTimeOnDisk(std::int64_t(ticks(source.info.ftLastWriteTime)),
                        std::int64_t(ticks(info.ftLastWriteTime)), kTicksPerSecond))
        return false;
    for (std::int64_t offset = 0; offset < size;) {
        DWORD got = 0;
        DWORD other = 0;
        if (!readAt(source.handle.get(), m_buffers->data, kBufferSize, offset, got) || got == 0 ||
            !readAt(out.get(), m_buffers->other, got, offset, other) || other != got ||
            std::memcmp(m_buffers->data, m_buffers->other, got) != 0)
            return false;
        offset += got;
    }
    BY_HANDLE_FILE_INFORMATION after{};
    return GetFileInformationByHandle(source.handle.get(), &after) &&
           sameVersion(source.info, after);
}

CopyEngine::TempFile CopyEngine::createTemp(const Step& step, const Item& item,
                                                          bool replacing) {
    checkSameVolume(step);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring path = joined(
            step.targetDir,
            QString::fromUtf8(tempFileName(item.targetName.toUtf8(), step.volume.isFat(), 255)));
        // Not shared: a later run's clean-up cannot delete it under us.
        const HANDLE handle =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return TempFile(std::move(path), handle);
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
            continue;
        // A full FAT root folder has no entry left, though the disk may have room.
        if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL || code == ERROR_CANNOT_MAKE)
            throw noEntryError(step.dosTargetDir, item.dosTarget, replacing);
        throw win32Error(code, IoSide::Destination, item.dosTarget);
    }
    throw win32Error(ERROR_FILE_EXISTS, IoSide::Destination, item.dosTarget);
}

void CopyEngine::copyData(const Source& source, TempFile& temp, bool replacing) {
    const Item& item = source.item;
    XXH3_64bits_reset(m_buffers->hash);
    for (;;) {
        DWORD got = 0;
        if (!readAt(source.handle.get(), m_buffers->data, kBufferSize, temp.written, got))
            throw win32Error(GetLastError(), IoSide::Source, item.dosSource);
        if (got == 0)
            break;
        // What was read is what the copy on the disk must give back.
        XXH3_64bits_update(m_buffers->hash, m_buffers->data, got);
        DWORD put = 0;
        const bool wrote = WriteFile(temp.handle(), m_buffers->data, got, &put, nullptr);
        if (!wrote || put != got) {
            // A short write without an error is a disk that took what it could.
            const DWORD code = wrote ? ERROR_DISK_FULL : GetLastError();
            if (code != ERROR_DISK_FULL && code != ERROR_HANDLE_DISK_FULL)
                throw win32Error(code, IoSide::Destination, item.dosTarget);
            LARGE_INTEGER taken{};
            if (!GetFileSizeEx(temp.handle(), &taken))
                taken.QuadPart = temp.written;
            throw noRoomError(item.dosTarget, sizeOf(source.info) - taken.QuadPart, replacing);
        }
        temp.written += got;
    }
    temp.checksum = XXH3_64bits_digest(m_buffers->hash);
}

void CopyEngine::verify(const Step& step, const Item& item, const std::wstring& path,
                               std::int64_t size, std::uint64_t checksum) {
    std::int64_t read = 0;
    std::uint64_t sum = 0;
    // Some file systems refuse unbuffered reads; theirs come through the cache.
    if (!readBack(path, true, item, read, sum))
        readBack(path, false, item, read, sum);
    if (read != size || sum != checksum)
        throw copyMismatchError(item.dosSource, step.dosTargetDir);
}

bool CopyEngine::readBack(const std::wstring& path, bool unbuffered, const Item& item,
                                 std::int64_t& read, std::uint64_t& checksum) {
    // A fresh handle: what a new reader of the medium gets, not the writer's view.
    UniqueHandle in(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                unbuffered ? FILE_FLAG_NO_BUFFERING : FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
    const auto refused = [&] {
        const DWORD code = GetLastError();
        if (unbuffered && code == ERROR_INVALID_PARAMETER)
            return false;
        throw win32Error(code, IoSide::Destination, item.dosTarget);
    };
    if (!in.valid())
        return refused();
    XXH3_64bits_reset(m_buffers->hash);
    for (read = 0;;) {
        DWORD got = 0;
        if (!readAt(in.get(), m_buffers->data, kBufferSize, read, got))
            return refused();
        if (got == 0)
            break;
        XXH3_64bits_update(m_buffers->hash, m_buffers->data, got);
        read += got;
        if (got < kBufferSize)
            break; // the end: an unbuffered read may not start at an unaligned offset
    }
    checksum = XXH3_64bits_digest(m_buffers->hash);
    return true;
}

void CopyEngine::checkSameVolume(const Step& step) const {
    // Another disk in the drive, or none: the copy would go to the wrong medium.
    const auto now = volumeFacts(step.root);
    if (!now || now->serial != step.volume.serial)
        throw Error(err::DiskNotReady);
}

} // namespace qel
