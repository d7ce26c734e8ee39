// The copy engine over the layout of one backup run (four data-file kinds into
// the destination folder, the program file into the drive's root), against
// `cp` followed by `sync` and, when installed, `rsync -a` followed by `sync`,
// in the same run on the same folders. Each method starts from an empty
// destination whose removal has been flushed; the figure is the median.
//
//   bench_copy [work-folder] [rounds] [a|b]
//
// The work folder (default /var/tmp) must hold about 2.2 GB free.

#include "BackupBench.h"
#include "platform/Error.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

using qel::LinuxFileSystemObject;
using qel::bench::median;
using qel::bench::seconds;

const char* const kKinds[] = {"HST", "CVD", "CVT", "XPT"};

struct Layout {
    const char* name;
    int filesPerKind[4];
    qint64 fileSize;
    double target; // allowed ratio to cp + sync
};

void writeData(const QString& path, qint64 size, int seed) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 31 + seed) & 0xff);
    for (qint64 left = size; left > 0; left -= block.size())
        file.write(block.constData(), std::min<qint64>(left, block.size()));
}

int run(const QString& command) {
    return std::system(command.toLocal8Bit().constData());
}

void freshDestination(const QString& destination) {
    QDir(destination).removeRecursively();
    QDir().mkpath(destination);
    sync();
}

} // namespace

int main(int argc, char** argv) {
    const QString workRoot =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/var/tmp");
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QByteArray only = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    QTemporaryDir work(workRoot + QStringLiteral("/bench-copy-XXXXXX"));
    if (!work.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(workRoot));
        return 1;
    }
    const QString source = work.path() + QStringLiteral("/source");
    const QString destination = work.path() + QStringLiteral("/destination");
    const QString config = work.path() + QStringLiteral("/config");
    QDir().mkpath(source + QStringLiteral("/ACCT1"));
    QDir().mkpath(config + QStringLiteral("/qel-trekkel/dosdevices"));
    QFile::link(source, config + QStringLiteral("/qel-trekkel/dosdevices/c:"));
    QFile::link(destination, config + QStringLiteral("/qel-trekkel/dosdevices/a:"));

    // The real drive table, read from a dosdevices folder of our own.
    qel::DriveTableSources sources = qel::DriveTableSources::system();
    const QByteArray configBytes = config.toLocal8Bit();
    sources.configHome = [configBytes] { return configBytes; };
    const qel::LinuxDrives drives(sources);
    const bool haveRsync = run(QStringLiteral("command -v rsync >/dev/null 2>&1")) == 0;

    const Layout layouts[] = {
        {"(a) 500 files of 32 KiB", {125, 125, 125, 124}, 32 << 10, 1.2},
        {"(b) 4 files of 256 MiB", {1, 1, 1, 1}, qint64(256) << 20, 1.05},
    };
    std::printf("work folder %s, %d rounds, median seconds\n", qPrintable(work.path()), rounds);
    std::printf("%-26s %10s %10s %10s %8s %8s\n", "layout", "CopyFile", "cp+sync", "rsync+sync",
                "ratio", "target");
    for (const Layout& layout : layouts) {
        if (!only.isEmpty() && layout.name[1] != only[0])
            continue;
        QDir(source + QStringLiteral("/ACCT1")).removeRecursively();
        QDir().mkpath(source + QStringLiteral("/ACCT1"));
        for (int kind = 0; kind < 4; ++kind)
            for (int i = 0; i < layout.filesPerKind[kind]; ++i)
                writeData(source + QStringLiteral("/ACCT1/F%1.%2")
                                       .arg(i, 4, 10, QChar(u'0'))
                                       .arg(QString::fromLatin1(kKinds[kind])),
                          layout.fileSize, i + kind);
        writeData(source + QStringLiteral("/ACCT1/WINCORV.EXE"), 32 << 10, 7);
        sync();

        const QString files = QStringLiteral("%1/ACCT1/*.HST %1/ACCT1/*.CVD %1/ACCT1/*.CVT "
                                             "%1/ACCT1/*.XPT")
                                  .arg(source);
        const QString program = source + QStringLiteral("/ACCT1/WINCORV.EXE");
        std::vector<double> ours, cp, rsync;
        for (int round = 0; round < rounds; ++round) {
            freshDestination(destination);
            ours.push_back(seconds([&] {
                LinuxFileSystemObject fso(drives);
                try {
                    if (!fso.FolderExists(QStringLiteral("a:\\ACCT1")))
                        fso.CreateFolder(QStringLiteral("a:\\ACCT1"));
                    for (const char* kind : kKinds)
                        fso.CopyFile(QStringLiteral("C:\\ACCT1\\*.%1").arg(QLatin1String(kind)),
                                     QStringLiteral("a:\\ACCT1\\"), true);
                    fso.CopyFile(QStringLiteral("C:\\ACCT1\\WINCORV.EXE"), QStringLiteral("a:\\"),
                                 true);
                } catch (const qel::Error& e) {
                    std::fprintf(stderr, "CopyFile failed: %s\n", e.what());
                    std::exit(1);
                }
            }));
            freshDestination(destination);
            cp.push_back(seconds([&] {
                run(QStringLiteral("mkdir %1/ACCT1 && cp %2 %1/ACCT1/ && cp %3 %1/ && sync")
                        .arg(destination, files, program));
            }));
            if (haveRsync) {
                freshDestination(destination);
                rsync.push_back(seconds([&] {
                    run(QStringLiteral("mkdir %1/ACCT1 && rsync -a %2 %1/ACCT1/ && rsync -a %3 "
                                       "%1/ && sync")
                            .arg(destination, files, program));
                }));
            }
        }
        const double ratio = median(ours) / median(cp);
        std::printf("%-26s %10.3f %10.3f %10s %8.2f %8.2f%s\n", layout.name, median(ours),
                    median(cp),
                    haveRsync ? qPrintable(QString::number(median(rsync), 'f', 3)) : "-", ratio,
                    layout.target, ratio <= layout.target ? "" : "  (over target)");
        std::fflush(stdout);
    }
    freshDestination(destination);
    return 0;
}
