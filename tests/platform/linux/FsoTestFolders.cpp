#include "FsoTestFolders.h"

#include "FailingCopyIo.h"
#include "platform/CopyPolicy.h"
#include "platform/linux/LinuxFileSystemObject.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qel::test {

void writeFile(const QByteArray& hostPath, const QByteArray& content) {
    QFile file(QString::fromUtf8(hostPath));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << hostPath.constData();
    ASSERT_EQ(file.write(content), content.size());
}

QByteArray readFile(const QByteArray& hostPath) {
    QFile file(QString::fromUtf8(hostPath));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void makeFolder(const QByteArray& hostPath) {
    ASSERT_EQ(mkdir(hostPath.constData(), 0755), 0) << hostPath.constData();
}

QList<QByteArray> folderNames(const QByteArray& hostPath) {
    QList<QByteArray> names;
    if (DIR* dir = opendir(hostPath.constData())) {
        while (const dirent* entry = readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QList<QByteArray> tempFiles(const QByteArray& folder) {
    QList<QByteArray> temps;
    for (const QByteArray& name : folderNames(folder))
        if (isTempName(QString::fromUtf8(name)))
            temps.append(name);
    return temps;
}

bool killedMidCopy(const Drives& drives, const QString& source, const QString& destination,
                   long long afterBytes) {
    const pid_t child = fork();
    if (child == 0) {
        FailingCopyIo io;
        io.failAfterBytes = afterBytes;
        io.atLimit = [] { raise(SIGKILL); };
        LinuxFileSystemObject fso(drives);
        io.attach(fso);
        try {
            fso.CopyFile(source, destination, true);
        } catch (...) {
        }
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFSIGNALED(status);
}

QByteArray pattern(int size, char seed) {
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i * 7 % 251);
    return data;
}

} // namespace qel::test
