#pragma once

#include "MapDrives.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qel::test {

// Drive C: and drive A: as two fresh host folders, drive D: not ready.
class FsoTestFolders : public ::testing::Test {
protected:
    FsoTestFolders() {
        m_c = m_root.path().toUtf8() + "/c";
        m_a = m_root.path().toUtf8() + "/a";
        mkdir(m_c.constData(), 0755);
        mkdir(m_a.constData(), 0755);
        m_drives.addDrive(u'C', m_c);
        m_drives.addDrive(u'A', m_a);
        m_drives.addNotReady(u'D');
    }

    // Host paths below the two drives ("DATA/X.HST").
    QByteArray c(const char* rest = "") const { return m_c + '/' + rest; }
    QByteArray a(const char* rest = "") const { return m_a + '/' + rest; }
    QByteArray root() const { return m_root.path().toUtf8(); }

    QTemporaryDir m_root;
    QByteArray m_c;
    QByteArray m_a;
    MapDrives m_drives;
};

void writeFile(const QByteArray& hostPath, const QByteArray& content);
QByteArray readFile(const QByteArray& hostPath);
void makeFolder(const QByteArray& hostPath);
// The names in a host folder, sorted, without "." and "..".
QList<QByteArray> folderNames(const QByteArray& hostPath);
// The copy engine's temporary files in a host folder.
QList<QByteArray> tempFiles(const QByteArray& folder);
// Whether a CopyFile in a child process was killed (SIGKILL) after
// afterBytes bytes had gone into copies, as a crash or a pulled plug would.
bool killedMidCopy(const Drives& drives, const QString& source, const QString& destination,
                   long long afterBytes);
// size bytes that differ with seed and along the file.
QByteArray pattern(int size, char seed);

} // namespace qel::test
