#include "platform/linux/LinuxDrives.h"

#include "TempDriveTable.h"
#include "platform/Error.h"
#include "platform/linux/MountTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qel {
namespace {

QString u16(const char16_t* text) {
    return QString::fromUtf16(text);
}

using test::TempDriveTable;

QByteArray bytes(const QString& s) {
    return QFile::encodeName(s);
}

template <typename F> int errorNumberOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

// Runs check as the unprivileged user "nobody" in a child process, so that
// permission bits bind even when the tests run as root; its result is the
// child's exit status (-1 when the child could not run it).
template <typename F> int asNobody(F&& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(MountTable, ParsesFieldsEscapesAndOverMounts) {
    const QByteArray text = "22 27 0:21 / /proc rw - proc proc rw\n"
                            "80 27 8:17 / /media/u/MY\\040STICK rw shared:1 master:2 - vfat "
                            "/dev/sdb1 rw\n"
                            "garbage line\n"
                            "81 27 8:2 /sub /mnt/x rw - ext4 /dev/sda2 rw\n"
                            "82 27 8:3 / /mnt/x rw - xfs /dev/sda3 rw\n";
    const QList<MountEntry> mounts = parseMountInfo(text);
    ASSERT_EQ(mounts.size(), 3);
    EXPECT_EQ(mounts[1].mountPoint, QByteArray("/media/u/MY STICK"));
    EXPECT_EQ(mounts[1].fsType, QByteArray("vfat"));
    EXPECT_EQ(mounts[1].major, 8u);
    EXPECT_EQ(mounts[1].minor, 17u);
    // /mnt/x was mounted over: only the visible mount counts.
    EXPECT_EQ(mounts[2].fsType, QByteArray("xfs"));
}

// A machine with a fake mount table and a fake sysfs, its mount points real
// folders in a temporary folder.
class MachineTable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_tmp.isValid());
        for (const char* dir : {"home/sub", "stick", "card", "data", "share", "ram", "sp ace",
                                "sys/devices/sdb/sdb1", "sys/devices/mmc0", "sys/devices/sda/sda2",
                                "sys/dev/block", "config", "media/u/PHOTOS"})
            QDir().mkpath(path(dir));
        write("sys/devices/sdb/removable", "1\n");
        write("sys/devices/sdb/sdb1/partition", "1\n");
        write("sys/devices/mmc0/removable", "1\n");
        write("sys/devices/sda/removable", "0\n");
        write("sys/devices/sda/sda2/partition", "2\n");
        write("hostsfile", "");
        link("../../devices/sdb/sdb1", "sys/dev/block/8:17");
        link("../../devices/mmc0", "sys/dev/block/179:0");
        link("../../devices/sda/sda2", "sys/dev/block/8:2");

        m_mounts = "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                   "2 1 0:21 / /proc rw - proc proc rw\n" +
                   mount("0:40", "ram", "tmpfs") + mount("8:2", "data", "ext4") +
                   mount("8:17", "stick", "vfat") + mount("0:50", "share", "nfs4") +
                   mount("254:0", "hostsfile", "ext4") + mount("179:0", "card", "vfat") +
                   mount("8:2", "sp\\040ace", "ext4");
        m_cwd = bytes(path("home/sub"));
    }

    LinuxDrives drives() {
        DriveTableSources sources;
        sources.mountInfo = [this] { return m_mounts; };
        sources.sysRoot = bytes(path("sys"));
        sources.home = [this] { return bytes(path("home")); };
        sources.configHome = [this] { return bytes(path("config")); };
        sources.currentDir = [this] { return m_cwd; };
        sources.winePrefix = [this] { return m_prefix; };
        sources.fstab = [this] { return m_fstab; };
        sources.mediaFolders = {bytes(path("media/"))};
        return LinuxDrives(sources);
    }

    QString path(const QString& relative) const { return m_tmp.path() + u'/' + relative; }
    QByteArray mount(const char* device, const char* dir, const char* type) const {
        return "9 1 " + QByteArray(device) + " / " + bytes(path(QString())) + dir + " rw - " +
               type + " src rw\n";
    }
    void write(const QString& relative, const QByteArray& content) {
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void link(const QString& target, const QString& relative) {
        ASSERT_EQ(::symlink(bytes(target).constData(), bytes(path(relative)).constData()), 0);
    }

    QTemporaryDir m_tmp;
    QByteArray m_mounts;
    QByteArray m_cwd;
    QByteArray m_prefix;
    QByteArray m_fstab;
};

// A folder meant for a medium is no disk while nothing is mounted on it:
// the backup would land on the internal disk. A plain folder stays a drive.
TEST_F(MachineTable, ABareMountFolderIsADriveWithoutItsDisk) {
    for (const char* dir : {"mnt/backup", "mnt/floppy", "plain"})
        QDir().mkpath(path(dir));
    QDir().mkpath(path("config/qel-trekkel/dosdevices"));
    link(path("mnt/backup"), "config/qel-trekkel/dosdevices/a:");
    link(path("mnt/floppy"), "config/qel-trekkel/dosdevices/b:");
    link(path("plain"), "config/qel-trekkel/dosdevices/c:");
    EXPECT_TRUE(drives().isReady(u'A'));

    m_fstab = "# <file system> <mount point> <type>\n"
              "LABEL=BACKUP " + bytes(path("mnt/backup")) + " vfat noauto,user 0 0\n";
    const LinuxDrives table = drives();
    EXPECT_FALSE(table.isReady(u'A'));
    EXPECT_EQ(errorNumberOf([&] { table.toHostPath(QStringLiteral("a:\\")); }),
              err::DeviceUnavailable);
    EXPECT_TRUE(table.isReady(u'C'));

    // Wine's mark: a device link beside the drive's own.
    const QByteArray device = QFile::exists(QStringLiteral("/dev/vda")) ? "/dev/vda" : "/dev/loop0";
    if (QFileInfo(QString::fromUtf8(device)).exists()) {
        EXPECT_TRUE(drives().isReady(u'B'));
        link(QString::fromUtf8(device), "config/qel-trekkel/dosdevices/b::");
        EXPECT_FALSE(drives().isReady(u'B'));
    }
}

QStringList textsOf(const Drives& drives) {
    QStringList texts;
    for (const DriveEntry& e : drives.entries())
        texts << e.text;
    return texts;
}

TEST_F(MachineTable, LettersFollowTheMountsAndRemovableFlags) {
    const QList<DriveEntry> entries = drives().entries();
    QStringList texts;
    for (const DriveEntry& e : entries)
        texts << e.text;
    const QString tmp = m_tmp.path();
    EXPECT_EQ(texts,
              (QStringList{QStringLiteral("a:"), QStringLiteral("b:"), QStringLiteral("C:"),
                           QStringLiteral("D: [%1/data]").arg(tmp),
                           QStringLiteral("E: [%1/share]").arg(tmp),
                           QStringLiteral("F: [%1/sp ace]").arg(tmp), QStringLiteral("Z:")}));
    EXPECT_TRUE(entries[0].removable);
    EXPECT_FALSE(entries[2].removable);

    LinuxDrives table = drives();
    for (QChar letter : QStringLiteral("ABCDEFZ"))
        EXPECT_TRUE(table.isReady(letter)) << letter.toLatin1();
    EXPECT_FALSE(table.isReady(u'G'));
    EXPECT_EQ(table.toHostPath(QStringLiteral("a:\\X")), bytes(path("stick/X")));
    EXPECT_EQ(table.toHostPath(QStringLiteral("B:\\")), bytes(path("card")));
    EXPECT_EQ(table.toHostPath(QStringLiteral("Z:\\etc")), QByteArray("/etc"));
}

TEST_F(MachineTable, FloppyLetterStaysListedWithoutMediumAndMediaComeAndGo) {
    const QByteArray withMedia = m_mounts;
    m_mounts = "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
    LinuxDrives table = drives();
    ASSERT_EQ(table.entries().size(), 3); // a:, C:, Z:
    EXPECT_EQ(table.entries()[0].text, QStringLiteral("a:"));
    EXPECT_FALSE(table.isReady(u'a'));
    EXPECT_EQ(errorNumberOf([&] { table.currentDirectory(u'A'); }), err::DeviceUnavailable);
    EXPECT_EQ(errorNumberOf([&] { table.toHostPath(QStringLiteral("A:\\")); }),
              err::DeviceUnavailable);

    m_mounts = withMedia; // the same object reads the table afresh
    EXPECT_TRUE(table.isReady(u'a'));
    EXPECT_EQ(table.currentDirectory(u'A'), QStringLiteral("A:\\"));
}

TEST_F(MachineTable, MediaKeepTheirLettersAndArrivalsTakeTheFirstFreeOne) {
    const QByteArray base = "1 0 254:0 / / rw - ext4 /dev/vda rw\n" + mount("8:2", "data", "ext4");
    const QByteArray stick = mount("8:17", "stick", "vfat");
    const QByteArray card = mount("179:0", "card", "vfat");
    // Anything below a media folder is a medium, whatever its file system.
    const QByteArray photos = mount("0:60", "media/u/PHOTOS", "tmpfs");
    struct Step {
        QByteArray mounts;
        QStringList texts;   // a: and b:
        const char* aFolder; // where a: leads; null: not ready
        QString extra;       // the drive after D:, if any
    };
    const Step steps[] = {
        {stick + card, {"a:", "b:"}, "stick", {}},
        {card, {"a:", "b:"}, nullptr, {}},                            // pulled: a: stays, not ready
        {card + photos, {"a: [PHOTOS]", "b:"}, "media/u/PHOTOS", {}}, // takes the free a:
        {photos + card + stick, {"a: [PHOTOS]", "b:"}, "media/u/PHOTOS", "e:"},
        {{}, {"a:", "b:"}, nullptr, {}}, // all gone: both letters stay
    };
    LinuxDrives table = drives();
    for (const Step& step : steps) {
        m_mounts = base + step.mounts;
        const QStringList texts = textsOf(table);
        SCOPED_TRACE(texts.join(u' ').toStdString());
        EXPECT_EQ(texts.mid(0, 2), step.texts);
        EXPECT_EQ(texts.value(4), step.extra.isEmpty() ? QStringLiteral("Z:") : step.extra);
        if (step.aFolder)
            EXPECT_EQ(table.toHostPath(QStringLiteral("a:\\")), bytes(path(step.aFolder)));
        else
            EXPECT_EQ(errorNumberOf([&] { table.makeReady(u'a'); }), err::DeviceUnavailable);
    }
    EXPECT_FALSE(table.isReady(u'B')) << "the card has gone";
}

TEST_F(MachineTable, WinePrefixGivesTheLettersAndMediaFillTheFreeOnes) {
    QDir().mkpath(path("prefix/drive_c/QEL/DATA"));
    QDir().mkpath(path("prefix/dosdevices"));
    write("prefix/file", "");
    link("../drive_c", "prefix/dosdevices/c:");
    link("/", "prefix/dosdevices/Z:"); // upper case, as some prefixes have it
    link("/nonexistent/cdrom", "prefix/dosdevices/d:");
    link("../file", "prefix/dosdevices/e:");
    link("/dev/null", "prefix/dosdevices/c::"); // a device link: no drive
    link("/dev/null", "prefix/dosdevices/com1");
    m_prefix = bytes(path("prefix"));
    {
        LinuxDrives table = drives();
        EXPECT_EQ(textsOf(table), (QStringList{"a:", "b:", "C:", "D:", "E:", "Z:"}));
        EXPECT_EQ(table.toHostPath(QStringLiteral("C:\\QEL\\DATA")),
                  bytes(path("prefix/drive_c/QEL/DATA")));
        EXPECT_EQ(table.toHostPath(QStringLiteral("a:\\")), bytes(path("stick")));
        EXPECT_FALSE(table.isReady(u'D')) << "dangling link";
        EXPECT_FALSE(table.isReady(u'E')) << "link to a file";
        EXPECT_TRUE(table.isReady(u'Z'));
    }
    // A prefix with its own a: leaves only b: to the media.
    link("../drive_c", "prefix/dosdevices/a:");
    EXPECT_EQ(drives().toHostPath(QStringLiteral("b:\\")), bytes(path("stick")));

    // The program's own dosdevices folder wins over the prefix.
    QDir().mkpath(path("config/qel-trekkel/dosdevices"));
    link(path("data"), "config/qel-trekkel/dosdevices/c:");
    EXPECT_EQ(textsOf(drives()), QStringList{"C:"});
    QDir(path("config/qel-trekkel")).removeRecursively();

    // A prefix that is a broken link, or has no dosdevices, is no prefix.
    link(path("gone"), "broken");
    for (const char* prefix : {"broken", "home"}) {
        m_prefix = bytes(path(prefix));
        EXPECT_EQ(drives().toHostPath(QStringLiteral("C:\\")), bytes(path("home"))) << prefix;
    }
}

TEST_F(MachineTable, StartDirectoryMapsTheWorkingFolderOrFallsBackToTheRootDrive) {
    EXPECT_EQ(drives().startDirectory(), QStringLiteral("C:\\sub"));
    // The start drive's current directory is where the program started.
    EXPECT_EQ(drives().currentDirectory(u'C'), QStringLiteral("C:\\sub"));
    m_cwd = bytes(path("home/sub")) + "/bad\xff";
    EXPECT_EQ(drives().startDirectory(), u16(u"C:\\sub\\bad\uF0FF"));
    m_cwd = QByteArray(); // the working folder is gone
    EXPECT_EQ(drives().startDirectory(), QStringLiteral("Z:\\"));
}

TEST(DosDevices, LinksAreTheWholeTableAndBadTargetsAreNotReady) {
    TempDriveTable table;
    table.addDanglingDrive(u'a');
    table.addDrive(u'c', table.makeDir(QStringLiteral("c")));
    table.addDrive(u'd', table.makeFile(QStringLiteral("file.txt")));
    QFile::link(table.makeDir(QStringLiteral("e")), table.dosDevices() + QStringLiteral("/E:"));
    for (const char* junk : {"cc:", "1:", "f", "g::", "readme.txt"})
        QFile::link(table.root(), table.dosDevices() + u'/' + QLatin1String(junk));

    LinuxDrives drives;
    QStringList texts;
    for (const DriveEntry& e : drives.entries())
        texts << e.text;
    EXPECT_EQ(texts, (QStringList{QStringLiteral("a:"), QStringLiteral("C:"), QStringLiteral("D:"),
                                  QStringLiteral("E:")}));
    EXPECT_FALSE(drives.isReady(u'A'));
    EXPECT_TRUE(drives.isReady(u'C'));
    EXPECT_FALSE(drives.isReady(u'D'));
    EXPECT_TRUE(drives.isReady(u'e'));
    // No drive covers the working folder, so the lists open on the first ready drive.
    EXPECT_EQ(drives.startDirectory(), QStringLiteral("C:\\"));
}

TEST(DosDevices, UnreadableTargetIsNotReady) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to switch to an unprivileged user";
    TempDriveTable table;
    ASSERT_EQ(::chmod(bytes(table.root()).constData(), 0755), 0);
    table.addDrive(u'c', table.makeDir(QStringLiteral("open")));
    const QString locked = table.makeDir(QStringLiteral("locked"));
    ASSERT_EQ(::chmod(bytes(locked).constData(), 0700), 0);
    table.addDrive(u'd', locked);

    const int result = asNobody([] {
        LinuxDrives drives;
        return drives.isReady(u'C') && !drives.isReady(u'D') ? 0 : 1;
    });
    if (result == 99)
        GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(result, 0);
}

TEST(DosDevices, CurrentDirectoryIsRememberedPerDriveWhileItExists) {
    TempDriveTable table;
    const QString c = table.makeDir(QStringLiteral("c/DATA"));
    table.addDrive(u'c', table.root() + QStringLiteral("/c"));
    table.addDrive(u'd', table.makeDir(QStringLiteral("d")));
    table.addDanglingDrive(u'a');
    LinuxDrives drives;

    EXPECT_EQ(drives.currentDirectory(u'D'), QStringLiteral("D:\\"));
    drives.setCurrentDirectory(QStringLiteral("c:\\DATA\\\\"));
    EXPECT_EQ(drives.currentDirectory(u'c'), QStringLiteral("c:\\DATA"));
    EXPECT_EQ(drives.currentDirectory(u'D'), QStringLiteral("D:\\"));
    drives.setCurrentDirectory(QStringLiteral("not a path")); // ignored, never fails
    ASSERT_TRUE(QDir(c).removeRecursively());
    EXPECT_EQ(drives.currentDirectory(u'C'), QStringLiteral("C:\\"));
    EXPECT_EQ(errorNumberOf([&] { drives.currentDirectory(u'A'); }), err::DeviceUnavailable);
    EXPECT_EQ(errorNumberOf([&] { drives.currentDirectory(u'Q'); }), err::DeviceUnavailable);
}

TEST(DosDevices, PathsMapBothWaysWithoutEscapingTheDriveRoot) {
    TempDriveTable table;
    const QByteArray c = bytes(table.makeDir(QStringLiteral("c")));
    table.addDrive(u'c', table.root() + QStringLiteral("/c"));
    table.addDrive(u'z', QStringLiteral("/"));
    LinuxDrives drives;

    EXPECT_EQ(drives.toHostPath(QStringLiteral("C:\\")), c);
    EXPECT_EQ(drives.toHostPath(QStringLiteral("C:\\\\A\\\\B\\")), c + "/A/B");
    EXPECT_EQ(drives.toHostPath(QStringLiteral("c:\\A\\..\\..\\..\\etc")), c + "/etc");
    EXPECT_EQ(drives.toHostPath(u16(u"C:\\a\uF03Ab\\t\uF009")), c + "/a:b/t\t");
    EXPECT_EQ(drives.toHostPath(QStringLiteral("Z:\\")), QByteArray("/"));
    EXPECT_EQ(drives.toHostPath(QStringLiteral("Z:\\etc\\passwd")), QByteArray("/etc/passwd"));
    EXPECT_EQ(errorNumberOf([&] { drives.toHostPath(QStringLiteral("C:")); }), err::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { drives.toHostPath(QStringLiteral("Q:\\")); }),
              err::DeviceUnavailable);

    // The drive with the longest matching root wins over Z:.
    EXPECT_EQ(drives.toDosPath(c), QStringLiteral("C:\\"));
    EXPECT_EQ(drives.toDosPath(c + "//A/./B/"), QStringLiteral("C:\\A\\B"));
    EXPECT_EQ(drives.toDosPath(c + "/a:b*"), u16(u"C:\\a\uF03Ab\uF02A"));
    EXPECT_EQ(drives.toDosPath("/etc"), QStringLiteral("Z:\\etc"));
    EXPECT_EQ(drives.toDosPath(c + "/bad\xff/x"), u16(u"C:\\bad\uF0FF\\x"));
    EXPECT_FALSE(drives.toDosPath("relative/path"));

    for (const QString& dos : {QStringLiteral("C:\\DATA\\ACCT1"), u16(u"C:\\x\uF05Cy\\\uF001"),
                               QStringLiteral("C:\\\u00DCber")})
        EXPECT_EQ(drives.toDosPath(drives.toHostPath(dos)), dos) << dos.toStdString();
}

TEST(DosDevices, WithoutADriveForRootAnUncoveredPathHasNoDosForm) {
    TempDriveTable table;
    table.addDrive(u'c', table.makeDir(QStringLiteral("c")));
    LinuxDrives drives;
    EXPECT_FALSE(drives.toDosPath("/etc"));
}

} // namespace
} // namespace qel
