// Parsing a settings store of 16 MiB, the most the program reads: many keys with
// a value each, and as many [-key] lines, some naming a key that holds subkeys,
// some an existing key spelt another way, some a key that is not there. The
// figures are the medians of the rounds, in wall time and in the thread's CPU
// time (which other work on a shared machine does not inflate).
//   bench_regfile [MiB] [rounds]        (default 16 and 5)

#include "platform/linux/RegFile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QByteArray keyPath(const char* root, int group, int key) {
    return root + QByteArray("\\SOFTWARE\\App\\G") + QByteArray::number(group) + "\\K" +
           QByteArray::number(key);
}

struct Store {
    QByteArray text;
    int keys = 0;
    int deletions = 0;
};

Store makeStore(qsizetype bytes) {
    constexpr int Groups = 1000;
    Store store;
    store.text = "REGEDIT4\r\n\r\n";
    store.text.reserve(bytes + 256);
    for (int i = 0;; ++i) {
        QByteArray entry = "[" + keyPath("HKEY_LOCAL_MACHINE", i % Groups, i) + "]\r\n\"V\"=\"" +
                           QByteArray::number(i) + "\"\r\n[-";
        if (i % 100 == 99) // a whole group with its subkeys
            entry += "HKEY_LOCAL_MACHINE\\SOFTWARE\\App\\G" + QByteArray::number((i - 50) % Groups);
        else if (i % 2)
            entry += keyPath("hklm", (i - 1) % Groups, i - 1).toLower();
        else
            entry += "HKEY_LOCAL_MACHINE\\SOFTWARE\\App\\Missing" + QByteArray::number(i);
        entry += "]\r\n";
        if (store.text.size() + entry.size() > bytes)
            return store;
        store.text += entry;
        ++store.keys;
        ++store.deletions;
    }
}

} // namespace

int main(int argc, char** argv) {
    const int mib = argc > 1 ? std::atoi(argv[1]) : 16;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const Store store = makeStore(qsizetype(mib) * 1024 * 1024);
    const QString last =
        QString::fromLatin1(keyPath("HKEY_LOCAL_MACHINE", (store.keys - 1) % 1000, store.keys - 1));
    const QString deleted = QString::fromLatin1(keyPath("HKEY_LOCAL_MACHINE", 0, 0));

    std::vector<double> wall;
    std::vector<double> cpu;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        const double cpuStart = cpuMs();
        timer.start();
        const qel::RegFile file = qel::RegFile::parse(store.text);
        wall.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - cpuStart);
        if (!file.value(last, QStringLiteral("v")) || file.hasKey(deleted) ||
            file.skippedLines() != 0) {
            std::fprintf(stderr, "the store was read wrongly\n");
            return 1;
        }
    }
    std::printf("store                   %8.1f MiB\n", store.text.size() / 1048576.0);
    std::printf("keys                    %8d\n", store.keys);
    std::printf("deletion lines          %8d\n", store.deletions);
    std::printf("parse (median of %d)     %8.1f ms   (target < 1000 ms)\n", rounds, median(wall));
    std::printf("  CPU time               %8.1f ms\n", median(cpu));
    return 0;
}
