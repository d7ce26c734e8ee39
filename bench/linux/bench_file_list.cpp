// Refilling the file list for a folder of 100,000 files, against `ls -f` of the
// same folder in the same run, and the memory the refill takes (peak RSS).
//   bench_file_list [count]        (default 100000)

#include "controls/FileListBox.h"
#include "platform/DosNameOrder.h"
#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/linux/LinuxDrives.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int Rounds = 7;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Lets the next VmHWM reading start from the present RSS.
bool resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

double lsMs(const QByteArray& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("ls"), const_cast<char*>("-f"),
                    const_cast<char*>(folder.constData()), nullptr};
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "ls", &actions, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || status != 0) {
        std::fprintf(stderr, "ls -f failed\n");
        std::exit(1);
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    posix_spawn_file_actions_destroy(&actions);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir tmp;
    const QString folder = tmp.path() + QStringLiteral("/data");
    const QString devices = tmp.path() + QStringLiteral("/config/qel-trekkel/dosdevices");
    QDir().mkpath(folder);
    QDir().mkpath(devices);
    if (!QFile::link(folder, devices + QStringLiteral("/c:"))) {
        std::fprintf(stderr, "cannot make the drive table\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp.path() + QStringLiteral("/config")));
    static const char* const kinds[] = {".HST", ".CVD", ".CVT", ".XPT", ".txt"};
    for (int i = 0; i < count; ++i) {
        const QByteArray name = QFile::encodeName(folder) + (i % 2 ? "/acct" : "/Acct") +
                                QByteArray::number(i * 7919 % count) + kinds[i % 5];
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::perror("open");
            return 1;
        }
        ::close(fd);
    }

    QApplication app(argc, argv);
    qel::LinuxDrives drives;
    qel::LinuxDirectoryLister lister(drives);
    qel::FileListBox box(lister);
    box.resize(300, 400);
    box.show();
    app.processEvents();

    const bool peakResettable = resetPeak();
    const long rssBefore = statusKb("VmRSS:");
    std::vector<double> refill;
    std::vector<double> listing;
    std::vector<double> ls;
    std::vector<double> sorting;
    long peakDelta = -1;
    for (int round = 0; round < Rounds; ++round) {
        ls.push_back(lsMs(QFile::encodeName(folder)));

        QElapsedTimer timer;
        timer.start();
        const QStringList names = lister.files(QStringLiteral("C:\\"));
        listing.push_back(timer.nsecsElapsed() / 1e6);

        QStringList shuffled = names;
        std::reverse(shuffled.begin(), shuffled.end());
        timer.restart();
        qel::sortDosNames(shuffled);
        sorting.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        box.setPath(QStringLiteral("C:\\"));
        app.processEvents(); // until the refilled list is laid out and painted
        box.repaint();
        refill.push_back(timer.nsecsElapsed() / 1e6);
        if (round == 0)
            peakDelta = statusKb("VmHWM:") - rssBefore;
        if (box.ListCount() != count) {
            std::fprintf(stderr, "listed %d of %d files\n", box.ListCount(), count);
            return 1;
        }
    }

    const double lsMedian = median(ls);
    const double refillMedian = median(refill);
    std::printf("files                      %d\n", count);
    std::printf("ls -f (median of %d)        %8.1f ms\n", Rounds, lsMedian);
    std::printf("lister.files alone         %8.1f ms\n", median(listing));
    std::printf("  of which sorting         %8.1f ms\n", median(sorting));
    std::printf("FileListBox refill, shown  %8.1f ms   (%.2fx ls -f, target <= 3x)\n", refillMedian,
                refillMedian / lsMedian);
    std::printf("peak RSS delta, first fill %8.1f MiB%s\n", peakDelta / 1024.0,
                peakResettable ? "" : " (peak not resettable: includes start-up)");
    std::printf("RSS held by the filled list %7.1f MiB\n",
                (statusKb("VmRSS:") - rssBefore) / 1024.0);
    return 0;
}
