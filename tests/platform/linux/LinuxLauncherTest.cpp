#include "platform/linux/LinuxLauncher.h"

#include "platform/DosNames.h"
#include "platform/Drives.h"
#include "platform/Error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

namespace qel {
namespace {

// Drive Z: is a temporary folder, drive A: is not ready.
class FolderDrive final : public Drives {
public:
    explicit FolderDrive(QString root)
        : m_root(std::move(root)) {}
    QList<DriveEntry> entries() const override { return {}; }
    bool isReady(QChar letter) const override { return letter.toUpper() == QLatin1Char('Z'); }
    QString currentDirectory(QChar) const override { return QStringLiteral("Z:\\"); }
    void setCurrentDirectory(const QString&) override {}
    QString startDirectory() const override { return QStringLiteral("Z:\\"); }
    QByteArray toHostPath(const QString& dosPath) const override {
        if (dosPath.size() < 3 || dosPath[1] != QLatin1Char(':') || dosPath[2] != QLatin1Char('\\'))
            throw Error(err::PathNotFound);
        if (!isReady(dosPath[0]))
            throw Error(err::DeviceUnavailable);
        QByteArray host = QFile::encodeName(m_root);
        for (const QString& name : dosPath.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts))
            host += '/' + dosNameToHost(name);
        return host;
    }
    std::optional<QString> toDosPath(const QByteArray&) const override { return std::nullopt; }

private:
    QString m_root;
};

class LinuxLauncherTest : public ::testing::Test {
protected:
    // Creates a file in the drive's root and returns its DOS path.
    QString file(const QByteArray& hostName, const QByteArray& content, bool executable) {
        const QByteArray path = QFile::encodeName(m_tmp.path()) + '/' + hostName;
        QFile f(QFile::decodeName(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        if (executable)
            f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        return QStringLiteral("Z:\\") + hostNameToDos(hostName);
    }

    static int errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const Error& e) {
            return e.number();
        }
        return 0;
    }

    QTemporaryDir m_tmp;
    FolderDrive m_drives{m_tmp.path()};
    LinuxLauncher m_launcher{m_drives};
};

TEST_F(LinuxLauncherTest, FindFileNamesOnlyExistingNormalFiles) {
    const QString tool = file("MSINFO32.EXE", "x", false);
    ASSERT_TRUE(QDir(m_tmp.path()).mkdir("folder"));
    EXPECT_EQ(m_launcher.findFile(tool), "MSINFO32.EXE");
    EXPECT_EQ(m_launcher.findFile(QStringLiteral("Z:\\folder")), "");
    EXPECT_EQ(m_launcher.findFile(QStringLiteral("Z:\\missing.exe")), "");
    EXPECT_EQ(m_launcher.findFile(QStringLiteral("Z:\\MSINFO32.EXE\\x")), "");
    EXPECT_EQ(m_launcher.findFile(QString()), "");
    EXPECT_EQ(m_launcher.findFile(QStringLiteral("MSINFO32.EXE")), "");
    EXPECT_EQ(m_launcher.findFile(QStringLiteral("A:\\MSINFO32.EXE")), "");
}

TEST_F(LinuxLauncherTest, WhatCannotBeStartedRaisesItsError) {
    ASSERT_TRUE(QDir(m_tmp.path()).mkdir("folder"));
    const QString plain = file("plain.txt", "text", false);
    const QString noInterpreter = file("broken", "#!/nonexistent/interpreter\n", true);
    const QString garbage = file("garbage", QByteArray("\x7f\x45\x4c\x46garbage", 11), true);

    EXPECT_EQ(errorOf([&] { m_launcher.startProgram(QString()); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { m_launcher.startProgram("Z:\\missing"); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { m_launcher.startProgram("missing"); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { m_launcher.startProgram("A:\\tool"); }), err::DeviceUnavailable);
    EXPECT_EQ(errorOf([&] { m_launcher.startProgram("Z:\\folder"); }), err::PathFileAccessError);
    EXPECT_EQ(errorOf([&] { m_launcher.startProgram(noInterpreter); }), err::PathFileAccessError);
    EXPECT_EQ(errorOf([&] { m_launcher.startProgram(garbage); }), err::PathFileAccessError);
    // No execute bit at all: refused even for root.
    EXPECT_EQ(errorOf([&] { m_launcher.startProgram(plain); }), err::PathFileAccessError);
}

TEST_F(LinuxLauncherTest, StartsAProgramWhoseNameIsFullOfShellCharactersWithoutAShell) {
    const QByteArray name = "run me; $(touch pwned) & `id` 'q' \"|\" *.sh";
    const QString dos = file(name, "#!/bin/sh\necho \"$0\" > \"$(dirname \"$0\")/marker\"\n", true);
    ASSERT_EQ(errorOf([&] { m_launcher.startProgram(dos); }), 0);

    QFile marker(m_tmp.filePath("marker"));
    QElapsedTimer waited;
    waited.start();
    while (!(marker.exists() && marker.size() > 0) && waited.elapsed() < 10000)
        QThread::msleep(10);
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly)) << "the program did not run";
    // It got its own path as argv[0], and no shell ever saw the name.
    EXPECT_EQ(marker.readAll(), QFile::encodeName(m_tmp.path()) + '/' + name + '\n');
    EXPECT_FALSE(QFile::exists(m_tmp.filePath("pwned")));
    EXPECT_FALSE(QFile::exists("pwned"));

    // Once it has ended it leaves no zombie behind.
    const auto zombies = [] {
        int n = 0;
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile stat("/proc/" + pid + "/stat");
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray line = stat.readAll();
            const auto fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[0] == "Z" && fields[1].toInt() == getpid())
                ++n;
        }
        return n;
    };
    waited.restart();
    while (zombies() > 0 && waited.elapsed() < 10000)
        QThread::msleep(10);
    EXPECT_EQ(zombies(), 0);
}

} // namespace
} // namespace qel
