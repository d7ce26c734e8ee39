// The command line on the window's platform: a stick that is plugged in but
// not mounted is mounted through the disk service when the run writes to it,
// as choosing it in the window mounts it.
#include "FakeUDisks.h"
#include "PrivateBus.h"
#include "cli/CommandLine.h"
#include "platform/linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <mutex>
#include <string>

namespace qel {
namespace {

using Qt::StringLiterals::operator""_s;

std::string readAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, file))
        text += buffer;
    return text;
}

TEST(CommandLineMedia, APluggedStickIsMountedAndBackedUpToAsTheWindowWould) {
    test::PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << bus.problem().toStdString();
    test::FakeUDisks udisks(bus.address());
    ASSERT_TRUE(udisks.serving());
    QTemporaryDir tmp;
    const QString home = tmp.filePath(u"home"_s);
    const QString stick = tmp.filePath(u"stick"_s);
    QDir().mkpath(home + u"/DATA/ACCT1"_s);
    QDir().mkpath(stick);
    for (const QString& name : {u"ACCT.HST"_s, u"ACCT.CVD"_s, u"ACCT.CVT"_s, u"ACCT.XPT"_s,
                                u"WINCORV.EXE"_s}) {
        QFile file(home + u"/DATA/ACCT1/"_s + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name.toLatin1());
    }
    std::mutex mutex; // the service mounts on QtDBus's thread
    QByteArray mounts = "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
    udisks.onMount([&](const test::FakeUDisks::Device&) {
        std::lock_guard lock(mutex);
        mounts += "9 1 8:17 / " + QFile::encodeName(stick) + " rw - vfat /dev/sdb1 rw\n";
        return stick;
    });
    udisks.add({u"sdb1"_s, 8, 17, u"STICK"_s});

    DriveTableSources sources;
    sources.mountInfo = [&] {
        std::lock_guard lock(mutex);
        return mounts;
    };
    sources.sysRoot = QFile::encodeName(tmp.filePath(u"nosys"_s));
    sources.home = [&] { return QFile::encodeName(home); };
    sources.configHome = sources.home;
    sources.currentDir = sources.home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.filePath(u"data"_s)));
    LinuxPlatform platform(sources,
                           [&] { return QDBusConnection::connectToBus(bus.address(), u"cli"_s); });
    platform.media().load(); // as the command line's start-up does
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);

    const int exitCode = runCommandLine(
        {u"QEL_Trekkel"_s, u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s}, platform,
        out, err);

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(readAll(err), "Backing up to drive a: [STICK]. Is this right?\nBackup Complete\n");
    EXPECT_EQ(udisks.mountCalls().size(), 1);
    QFile copy(stick + u"/ACCT1/ACCT.CVT"_s);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "ACCT.CVT");
    std::fclose(out);
    std::fclose(err);
}

} // namespace
} // namespace qel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
