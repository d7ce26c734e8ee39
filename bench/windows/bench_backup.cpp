// One backup run against the system's own ways of making the same copies,
// over the same files on the same drive, in the same run:
//   CopyFileW, then FlushFileBuffers on each copy (unverified);
//   the same, then each copy read back unbuffered and its hash compared with
//   its source's (a careful user's verified copy);
//   the device's own unbuffered write-through, then unbuffered read, of the
//   same bytes: the least a copy read back from the medium can cost.
// Cases (a) 500 x 32 KiB and (b) 4 x 256 MiB as on Linux, each also run a
// second time onto its own result with nothing changed (d).
// Usage: bench_backup <work folder> <destination drive>, e.g. C:\bench q:
// The work folder gets the sources; the drive must hold nothing of its own.
// QEL_BENCH_REPS and QEL_BENCH_CASE (a or b) as on Linux.

#include "BackupBench.h"
#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsFileSystemObject.h"

#include <QDir>
#include <cstdio>
#include <xxhash.h>

#include "platform/windows/Win32.h"

using namespace qel;
using namespace qel::bench;

namespace {

constexpr DWORD Block = 4 << 20;

std::wstring wide(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

HANDLE openFile(const QString& path, DWORD access, DWORD disposition, DWORD flags) {
    const HANDLE file = CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail(QStringLiteral("cannot open %1 (error %2)").arg(path).arg(GetLastError()));
    return file;
}

void flushFile(const QString& path) {
    const HANDLE file = openFile(path, GENERIC_WRITE, OPEN_EXISTING, 0);
    if (!FlushFileBuffers(file))
        fail(QStringLiteral("cannot flush %1").arg(path));
    CloseHandle(file);
}

XXH64_hash_t hashFile(const QString& path, DWORD flags, char* buffer) {
    const HANDLE file = openFile(path, GENERIC_READ, OPEN_EXISTING, flags);
    XXH3_state_t* state = XXH3_createState();
    XXH3_64bits_reset(state);
    DWORD n = 0;
    while (ReadFile(file, buffer, Block, &n, nullptr) && n > 0)
        XXH3_64bits_update(state, buffer, n);
    const XXH64_hash_t hash = XXH3_64bits_digest(state);
    XXH3_freeState(state);
    CloseHandle(file);
    return hash;
}

// Written unbuffered in whole sectors, the last padded, then cut to size.
void writeUnbuffered(const QString& from, const QString& to, char* buffer) {
    const HANDLE in = openFile(from, GENERIC_READ, OPEN_EXISTING, 0);
    const HANDLE out = openFile(to, GENERIC_WRITE, CREATE_ALWAYS,
                                FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH);
    LONGLONG size = 0;
    DWORD n = 0;
    while (ReadFile(in, buffer, Block, &n, nullptr) && n > 0) {
        const DWORD padded = (n + 4095) & ~DWORD(4095);
        std::memset(buffer + n, 0, padded - n);
        DWORD written = 0;
        if (!WriteFile(out, buffer, padded, &written, nullptr) || written != padded)
            fail(QStringLiteral("cannot write %1 unbuffered").arg(to));
        size += n;
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    if (!SetFileInformationByHandle(out, FileEndOfFileInfo, &end, sizeof end) ||
        !FlushFileBuffers(out))
        fail(QStringLiteral("cannot finish %1").arg(to));
    CloseHandle(in);
    CloseHandle(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        fail(QStringLiteral("usage: bench_backup <work folder> <destination drive>"));
    const QString source =
        QDir::fromNativeSeparators(QString::fromLocal8Bit(argv[1])) + QStringLiteral("/ACCT1");
    const QString drive = QString::fromLocal8Bit(argv[2]).left(2);
    const QString dest = drive + u'/';
    const auto target = [&](const QString& name) {
        return (name == u"WINCORV.EXE" ? dest : dest + QStringLiteral("ACCT1/")) + name;
    };
    const auto fresh = [&] {
        QDir(dest + QStringLiteral("ACCT1")).removeRecursively();
        QFile::remove(dest + QStringLiteral("WINCORV.EXE"));
        QDir().mkpath(dest + QStringLiteral("ACCT1"));
    };
    char* const buffer =
        static_cast<char*>(VirtualAlloc(nullptr, Block, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    WindowsDrives drives;

    std::printf("%-18s %-22s %10s %8s\n", "case", "method", "median s", "vs copy");
    for (const Case& c : {SmallFiles, LargeFiles}) {
        if (!caseChosen(c.name[1]))
            continue;
        FixedFiles files;
        files.names = makeSource(source, c);
        std::vector<double> backup, again, copy, verified, device;
        for (int rep = 0; rep < repetitions(); ++rep) {
            fresh();
            const auto runBackup = [&] {
                return timedBackup(
                    [&] { return std::make_unique<WindowsFileSystemObject>(drives); },
                    QDir::toNativeSeparators(source), drive, files);
            };
            backup.push_back(runBackup());
            again.push_back(runBackup());

            const auto copyAll = [&] {
                for (const QString& name : files.names) {
                    if (!CopyFileW(wide(source + u'/' + name).c_str(), wide(target(name)).c_str(),
                                   FALSE))
                        fail(QStringLiteral("CopyFileW failed on %1").arg(name));
                    flushFile(target(name));
                }
            };
            fresh();
            copy.push_back(seconds(copyAll));
            fresh();
            verified.push_back(seconds([&] {
                copyAll();
                for (const QString& name : files.names)
                    if (hashFile(target(name), FILE_FLAG_NO_BUFFERING, buffer) !=
                        hashFile(source + u'/' + name, 0, buffer))
                        fail(QStringLiteral("%1 reads back different").arg(name));
            }));
            fresh();
            device.push_back(seconds([&] {
                for (const QString& name : files.names)
                    writeUnbuffered(source + u'/' + name, target(name), buffer);
                for (const QString& name : files.names)
                    hashFile(target(name), FILE_FLAG_NO_BUFFERING, buffer);
            }));
        }
        fresh();
        const double base = median(copy);
        const auto row = [&](const char* method, double time) {
            std::printf("%-18s %-22s %10.3f %7.2fx\n", c.name, method, time, time / base);
        };
        row("backup run", median(backup));
        row("(d) unchanged", median(again));
        row("CopyFileW + flush", base);
        row("+ unbuffered hash", median(verified));
        row("unbuffered w+r", median(device));
        std::printf("%-18s the backup run takes %.2fx the verified copy, %.2fx the device's w+r\n",
                    c.name, median(backup) / median(verified), median(backup) / median(device));
        std::fflush(stdout);
        QDir(source).removeRecursively();
    }
    return 0;
}
