#include "FsoTestFolders.h"

#include "platform/linux/CopyEngine.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <dirent.h>

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
        if (name.startsWith(kTempPrefix))
            temps.append(name);
    return temps;
}

QByteArray pattern(int size, char seed) {
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i * 7 % 251);
    return data;
}

} // namespace qel::test
