// One backup run against cp + sync (and rsync -a + sync when installed) over
// the same files on the same disk:
//   (a) 500 files of 32 KiB, (b) 4 files of 256 MiB, each also run a second
//   time onto its own result with nothing changed (d); (b) also against the
//   device's own write-then-read of the same bytes (each file written with
//   O_DIRECT and synced, then read back with O_DIRECT), the least a copy that
//   is read back from the medium can cost; and
//   (c) refreshing a backup of 16 x 52 KiB on a 1.44 MB FAT12 floppy image
//       served by fusefat (cp needs --remove-destination there: fusefat
//       refuses to truncate, so a plain cp cannot overwrite).
// Usage: bench_backup [work folder on a real disk, default /var/tmp]
// QEL_BENCH_REPS sets the repetitions per method (default 3); medians are shown.
// QEL_BENCH_CASE=a, b or c runs one case only; (c) needs mkfs.fat, fusefat and /dev/fuse.
// QEL_BENCH_COLD=1 (root only) empties the page cache before each method of (a)
// and (b), so that every one reads its source from the disk.

#include "BackupBench.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mount.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace qel;
using namespace qel::bench;

namespace {

void shell(const QString& command) {
    if (std::system(command.toLocal8Bit().constData()) != 0)
        fail(QStringLiteral("failed: %1").arg(command));
}

QString quoted(const QString& path) {
    return u'\'' + QString(path).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

// One whole backup run of files from C:\DATA\ACCT1 to a:, which must complete.
double timedBackup(const Drives& drives, const FixedFiles& files) {
    return bench::timedBackup([&] { return std::make_unique<LinuxFileSystemObject>(drives); },
                              QStringLiteral("C:\\DATA\\ACCT1"), QStringLiteral("a:"), files);
}

// Writes the source files' bytes with O_DIRECT, syncs each, then reads every
// one back with O_DIRECT, in blocks of 4 MiB: data files into dest/ACCT1, the
// executable into dest.
double directWriteThenRead(const QString& source, const QStringList& names, const QString& dest) {
    constexpr size_t kBlock = 4 << 20;
    constexpr size_t kAlign = 4096;
    std::unique_ptr<char, void (*)(void*)> buffer(
        static_cast<char*>(std::aligned_alloc(kAlign, kBlock)), std::free);
    const auto target = [&](const QString& name) {
        return (name == u"WINCORV.EXE" ? dest : dest + QStringLiteral("/ACCT1")) + u'/' + name;
    };
    return seconds([&] {
        for (const QString& name : names) {
            const int in = open(qPrintable(source + u'/' + name), O_RDONLY | O_CLOEXEC);
            const int out = open(qPrintable(target(name)),
                                 O_WRONLY | O_CREAT | O_TRUNC | O_DIRECT | O_CLOEXEC, 0644);
            if (in < 0 || out < 0)
                fail(QStringLiteral("cannot open %1 for the O_DIRECT baseline").arg(name));
            off_t size = 0;
            for (;;) {
                const ssize_t n = read(in, buffer.get(), kBlock);
                if (n < 0)
                    fail(QStringLiteral("cannot read %1").arg(name));
                if (n == 0)
                    break;
                const size_t padded = (size_t(n) + kAlign - 1) & ~(kAlign - 1);
                std::memset(buffer.get() + n, 0, padded - size_t(n));
                if (write(out, buffer.get(), padded) != ssize_t(padded))
                    fail(QStringLiteral("cannot write %1 with O_DIRECT").arg(name));
                size += n;
            }
            if (ftruncate(out, size) != 0 || fsync(out) != 0)
                fail(QStringLiteral("cannot sync %1").arg(name));
            close(in);
            close(out);
        }
        for (const QString& name : names) {
            const int fd = open(qPrintable(target(name)), O_RDONLY | O_DIRECT | O_CLOEXEC);
            if (fd < 0)
                fail(QStringLiteral("cannot reopen %1 with O_DIRECT").arg(name));
            for (ssize_t n; (n = read(fd, buffer.get(), kBlock)) != 0;)
                if (n < 0)
                    fail(QStringLiteral("cannot read back %1 with O_DIRECT").arg(name));
            close(fd);
        }
    });
}

// A fresh floppy image mounted at mountPoint by fusefat in the foreground;
// returns the server, which stop() ends once the image is written.
pid_t mountFloppy(const QString& image, const QString& mountPoint) {
    QFile::remove(image);
    shell(QStringLiteral("mkfs.fat -C -F 12 %1 1440 >/dev/null").arg(quoted(image)));
    QDir().mkpath(mountPoint);
    const pid_t server = fork();
    if (server == 0) {
        // Its chatter would mix with ours and hold our output open.
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execlp("fusefat", "fusefat", "-f", "-o", "rw+", qPrintable(image), qPrintable(mountPoint),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 500; ++i) {
        struct statfs fs {};
        if (statfs(qPrintable(mountPoint), &fs) == 0 && fs.f_type == 0x65735546)
            return server;
        usleep(10000);
    }
    kill(server, SIGKILL);
    fail(QStringLiteral("fusefat did not mount %1").arg(image));
    return -1;
}

// After a sync: only clean pages are dropped.
void dropCaches() {
    QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
    if (!drop.open(QIODevice::WriteOnly) || drop.write("3\n") != 2)
        fail(QStringLiteral("cannot empty the page cache (QEL_BENCH_COLD needs root)"));
}

void unmountFloppy(const QString& mountPoint, pid_t server) {
    umount(qPrintable(mountPoint));
    waitpid(server, nullptr, 0);
}

} // namespace

int main(int argc, char** argv) {
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/var/tmp");
    const int repetitions = bench::repetitions();
    const bool haveRsync = std::system("command -v rsync >/dev/null 2>&1") == 0;
    const bool cold = qEnvironmentVariableIntValue("QEL_BENCH_COLD") == 1;

    QTemporaryDir work(base + QStringLiteral("/qel-bench-backup-XXXXXX"));
    if (!work.isValid())
        fail(QStringLiteral("cannot make a work folder in %1").arg(base));
    const QString home = work.filePath(QStringLiteral("home"));
    const QString links = work.filePath(QStringLiteral("config/qel-trekkel/dosdevices"));
    QDir().mkpath(links);
    QFile::link(home, links + QStringLiteral("/c:"));

    LinuxDrives drives(DriveTableSources{
        [] { return QByteArray(); }, QByteArrayLiteral("/sys"), [&] { return home.toLocal8Bit(); },
        [&] { return work.filePath(QStringLiteral("config")).toLocal8Bit(); },
        [&] { return home.toLocal8Bit(); }});

    const Case cases[] = {SmallFiles, LargeFiles};
    std::printf("%-18s %-14s %10s %8s\n", "case", "method", "median s", "vs cp");
    for (const Case& c : cases) {
        if (!caseChosen(c.name[1]))
            continue;
        const QString source = home + QStringLiteral("/DATA/ACCT1");
        FixedFiles files;
        files.names = makeSource(source, c);
        ::sync();

        const bool withBaseline = c.size >= (qint64(1) << 20);
        std::vector<double> backup, again, cp, rsync, direct;
        for (int rep = 0; rep < repetitions; ++rep) {
            const QString dest = work.filePath(QStringLiteral("dest"));
            auto fresh = [&] {
                QDir(dest).removeRecursively();
                QDir().mkpath(dest + QStringLiteral("/ACCT1"));
                ::sync();
                if (cold)
                    dropCaches();
            };

            fresh();
            QFile::remove(links + QStringLiteral("/a:"));
            QFile::link(dest, links + QStringLiteral("/a:"));
            const auto runBackup = [&] {
                const double time = timedBackup(drives, files);
                if (QDir(dest + QStringLiteral("/ACCT1")).count() - 2 != uint(c.dataFiles))
                    fail(QStringLiteral("the run copied the wrong number of files"));
                return time;
            };
            backup.push_back(runBackup());
            again.push_back(runBackup());

            fresh();
            cp.push_back(seconds([&] {
                shell(QStringLiteral("cp -p %1/*.HST %1/*.CVD %1/*.CVT %1/*.XPT %2/ACCT1/ && "
                                     "cp -p %1/WINCORV.EXE %2/ && sync")
                          .arg(quoted(source), quoted(dest)));
            }));

            if (withBaseline) {
                fresh();
                direct.push_back(directWriteThenRead(source, files.names, dest));
            }

            if (haveRsync) {
                fresh();
                rsync.push_back(seconds([&] {
                    shell(QStringLiteral("rsync -a --exclude=WINCORV.EXE %1/ %2/ACCT1/ && "
                                         "rsync -a %1/WINCORV.EXE %2/ && sync")
                              .arg(quoted(source), quoted(dest)));
                }));
            }
            QDir(dest).removeRecursively();
        }
        const double cpMedian = median(cp);
        std::printf("%-18s %-14s %10.3f %7.2fx\n", c.name, "backup run", median(backup),
                    median(backup) / cpMedian);
        std::printf("%-18s %-14s %10.3f %7.2fx\n", c.name, "cp + sync", cpMedian, 1.0);
        std::printf("%-18s %-14s %10.3f %7.2fx of the first run\n", c.name, "(d) unchanged",
                    median(again), median(again) / median(backup));
        if (haveRsync)
            std::printf("%-18s %-14s %10.3f %7.2fx\n", c.name, "rsync -a + sync", median(rsync),
                        median(rsync) / cpMedian);
        if (withBaseline)
            std::printf("%-18s %-14s %10.3f %7.2fx; the backup run takes %.2fx of it\n", c.name,
                        "O_DIRECT w+r", median(direct), median(direct) / cpMedian,
                        median(backup) / median(direct));
        std::fflush(stdout);
        QDir(source).removeRecursively();
    }

    if (!caseChosen('c'))
        return 0;
    const char* name = "(c) FAT12 refresh";
    const Case floppy{name, 16, 52 * 1024, 64 * 1024};
    const QString source = home + QStringLiteral("/DATA/ACCT1");
    const QString older = work.filePath(QStringLiteral("older"));
    makeSource(older, floppy);
    FixedFiles files;
    files.names = makeSource(source, floppy);
    // This week's files differ from last week's in every file.
    shell(QStringLiteral("for f in %1/*; do printf x >> \"$f\"; done").arg(quoted(source)));
    const QString image = work.filePath(QStringLiteral("floppy.img"));
    const QString floppyDir = work.filePath(QStringLiteral("floppy"));
    QFile::remove(links + QStringLiteral("/a:"));
    QFile::link(floppyDir, links + QStringLiteral("/a:"));
    const auto lastWeek = [&] {
        const pid_t server = mountFloppy(image, floppyDir);
        shell(QStringLiteral("mkdir %2/ACCT1 && cp %1/*.HST %1/*.CVD %1/*.CVT %1/*.XPT "
                             "%2/ACCT1/ && cp %1/WINCORV.EXE %2/ && sync")
                  .arg(quoted(older), quoted(floppyDir)));
        return server;
    };
    std::vector<double> backup, cp;
    for (int rep = 0; rep < repetitions; ++rep) {
        pid_t server = lastWeek();
        backup.push_back(timedBackup(drives, files));
        shell(QStringLiteral("cmp -s %1/F0015.XPT %2/ACCT1/F0015.XPT")
                  .arg(quoted(source), quoted(floppyDir)));
        unmountFloppy(floppyDir, server);

        server = lastWeek();
        cp.push_back(seconds([&] {
            shell(QStringLiteral(
                      "cp --preserve=timestamps --remove-destination %1/*.HST %1/*.CVD %1/*.CVT "
                      "%1/*.XPT %2/ACCT1/ && cp --preserve=timestamps --remove-destination "
                      "%1/WINCORV.EXE %2/ && sync")
                      .arg(quoted(source), quoted(floppyDir)));
        }));
        unmountFloppy(floppyDir, server);
    }
    std::printf("%-18s %-14s %10.3f %7.2fx\n", name, "backup run", median(backup),
                median(backup) / median(cp));
    std::printf("%-18s %-14s %10.3f %7.2fx\n", name, "cp + sync", median(cp), 1.0);
    return 0;
}
