#include "FakeNotifications.h"
#include "PrivateBus.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>

namespace {

using Qt::StringLiterals::operator""_s;
using qel::test::FakeNotifications;
using qel::test::PrivateBus;

struct Ran {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The program as a script or a schedule starts it: no display at all, the
// drives C: and a: folders of a temporary directory, the record in its own
// data folder, no session bus but the one a test may start in its own
// runtime folder.
class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        QDir().mkpath(home() + u"/DATA/ACCT1"_s);
        QDir().mkpath(stick());
        QDir().mkpath(links());
        QDir().mkpath(runtime());
        QFile::link(home(), links() + u"/c:"_s);
        QFile::link(stick(), links() + u"/a:"_s);
    }
    ~CommandLineTest() override {
        if (m_mounted)
            ::umount2(stick().toLocal8Bit().constData(), MNT_DETACH);
    }

    QString home() const { return m_root.filePath(u"home"_s); }
    QString stick() const { return m_root.filePath(u"stick"_s); }
    QString links() const { return m_root.filePath(u"config/qel-trekkel/dosdevices"_s); }
    QString runtime() const { return m_root.filePath(u"run"_s); }
    QString recordFile() const { return m_root.filePath(u"data/QEL_Trekkel/backup.log"_s); }

    bool mountStick(const char* options) {
        m_mounted = ::mount("tmpfs", stick().toLocal8Bit().constData(), "tmpfs", 0, options) == 0;
        return m_mounted;
    }
    void source(const QMap<QString, QByteArray>& files) {
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            QFile f(home() + u"/DATA/ACCT1/"_s + it.key());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            ASSERT_EQ(f.write(it.value()), it.value().size());
        }
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QList<QByteArray> recordLines() const {
        QList<QByteArray> lines = read(recordFile()).split('\n');
        lines.removeLast();
        return lines;
    }

    Ran run(const QStringList& arguments, const QMap<QString, QString>& extraEnv = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(QString::fromLatin1(name));
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime());
        env.insert(u"XDG_CONFIG_HOME"_s, m_root.filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, m_root.filePath(u"data"_s));
        for (auto it = extraEnv.cbegin(); it != extraEnv.cend(); ++it)
            env.insert(it.key(), it.value());
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(home());
        program.start(QStringLiteral(QEL_PROGRAM), arguments);
        if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit)
            return {};
        return {program.exitCode(), program.readAllStandardOutput(),
                program.readAllStandardError()};
    }

    QTemporaryDir m_root;
    bool m_mounted = false;
};

const QMap<QString, QByteArray> AllKinds{{u"ACCT.HST"_s, "hst"},
                                         {u"ACCT.CVD"_s, "cvd"},
                                         {u"ACCT.CVT"_s, "cvt"},
                                         {u"ACCT.XPT"_s, "xpt"},
                                         {u"WINCORV.EXE"_s, "exe"}};

TEST_F(CommandLineTest, ABackupCompletesIsRecordedAndIsTheLastOfItsSource) {
    if (!mountStick("size=1m"))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    source(AllKinds);

    const Ran backup = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s});

    EXPECT_EQ(backup.exitCode, 0);
    EXPECT_EQ(backup.err, "Backing up to drive a:. Is this right?\nBackup Complete\n");
    EXPECT_TRUE(backup.out.isEmpty());
    for (auto it = AllKinds.cbegin(); it != AllKinds.cend(); ++it)
        EXPECT_EQ(read(stick() + (it.key() == u"WINCORV.EXE"_s ? u"/"_s : u"/ACCT1/"_s) + it.key()),
                  it.value());
    const QList<QByteArray> lines = recordLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith("\tC:\\DATA\\ACCT1\ta:\\ACCT1\t100%\tcomplete"))
        << lines[0].data();

    // The source named by its host path is the same folder.
    const Ran last = run({u"--last"_s, home() + u"/DATA/ACCT1"_s, u"--older-than"_s, u"1"_s});
    EXPECT_EQ(last.exitCode, 0) << last.err.data();
    EXPECT_EQ(last.out, lines[0].left(lines[0].indexOf('\t')) + " a:\\ACCT1\n");

    // A kind the folder lacks is passed over, as OK in the window does.
    ASSERT_TRUE(QFile::remove(home() + u"/DATA/ACCT1/ACCT.XPT"_s));
    const Ran without = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s});
    EXPECT_EQ(without.exitCode, 0);
    EXPECT_TRUE(without.err.contains("\nFile C:\\DATA\\ACCT1\\*.XPTis not found. The file will "
                                     "not be backed up.\nBackup Complete\n"))
        << without.err.data();
}

TEST_F(CommandLineTest, LastSaysWhenThereIsNoneOrItIsTooOld) {
    QDir().mkpath(QFileInfo(recordFile()).path());
    QFile f(recordFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("2020-01-02T03:04:05Z\tC:\\DATA\\ACCT1\ta:\\ACCT1\t100%\tcomplete\n"
            "2020-02-02T03:04:05Z\tC:\\DATA\\ACCT1\ta:\\ACCT1\t20%\tDisk full\n");
    f.close();

    const Ran old = run({u"--last"_s, u"C:\\DATA\\ACCT1"_s, u"--older-than"_s, u"30"_s});
    EXPECT_EQ(old.exitCode, 1);
    EXPECT_EQ(old.out, "2020-01-02T03:04:05Z a:\\ACCT1\n");
    EXPECT_EQ(run({u"--last"_s, u"C:\\DATA\\ACCT1"_s}).exitCode, 0);
    const Ran none = run({u"--last"_s, u"C:\\DATA\\ACCT2"_s});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.out.isEmpty());
}

// Each way a run ends: the exit code, the window's message on standard error,
// nothing on the stick that was not there, and a line in the record.
TEST_F(CommandLineTest, AFailedRunEndsWithItsOwnExitCodeAndItsMessage) {
    // No QEL data: nothing is asked, nothing written.
    source({{u"ACCT.HST"_s, "hst"}});
    Ran ran = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s});
    EXPECT_EQ(ran.exitCode, 2);
    EXPECT_EQ(ran.err,
              "There are no valid Corvane QEL files to backup. Please choose another directory\n");

    // No medium in a:, never a retry.
    source(AllKinds);
    ASSERT_TRUE(QDir(stick()).removeRecursively());
    ran = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s});
    EXPECT_EQ(ran.exitCode, 3);
    EXPECT_TRUE(ran.err.startsWith("Backing up to drive a:. Is this right?\n")) << ran.err.data();
    EXPECT_EQ(ran.err.count('\n'), 2) << ran.err.data();
    EXPECT_FALSE(QFileInfo::exists(stick()));

    // Nor is the bare folder a stick is mounted on (named in fstab): nothing
    // lands on the internal disk.
    QDir().mkpath(stick());
    QFile fstab(m_root.filePath(u"fstab"_s));
    ASSERT_TRUE(fstab.open(QIODevice::WriteOnly));
    fstab.write("LABEL=STICK " + stick().toLocal8Bit() + " vfat noauto,user 0 0\n");
    fstab.close();
    ran = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s},
              {{u"QEL_TREKKEL_FSTAB"_s, fstab.fileName()}});
    EXPECT_EQ(ran.exitCode, 3) << ran.err.data();
    EXPECT_TRUE(QDir(stick()).isEmpty());

    // A full disk keeps the older backup.
    if (!mountStick("size=1m"))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    QDir().mkpath(stick() + u"/ACCT1"_s);
    QFile old(stick() + u"/ACCT1/ACCT.HST"_s);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older backup");
    old.close();
    source({{u"ACCT.HST"_s, QByteArray(2 * 1024 * 1024, 'h')}});
    ran = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s});
    EXPECT_EQ(ran.exitCode, 4);
    EXPECT_TRUE(ran.err.contains("\nDisk full: a:\\ACCT1\\ACCT.HST needs ")) << ran.err.data();
    EXPECT_EQ(read(stick() + u"/ACCT1/ACCT.HST"_s), "older backup");

    const QList<QByteArray> lines = recordLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith("\ta:\t0%\tThere are no valid Corvane QEL files to backup. "
                                  "Please choose another directory"))
        << lines[0].data();
    EXPECT_TRUE(lines[3].contains("\tC:\\DATA\\ACCT1\ta:\\ACCT1\t0%\tDisk full: "))
        << lines[3].data();
}

// Another backup to the same drive (here one that holds its lock) is not
// interleaved with: the run waits a little, then ends with its own exit code.
TEST_F(CommandLineTest, OneBackupAtATimePerDrive) {
    source(AllKinds);
    QDir().mkpath(m_root.filePath(u"data/QEL_Trekkel"_s));
    const QByteArray lock = m_root.filePath(u"data/QEL_Trekkel/drive-a.lock"_s).toLocal8Bit();
    const int fd = ::open(lock.constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const Ran ran = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s});
    ::close(fd);
    EXPECT_EQ(ran.exitCode, 5);
    EXPECT_TRUE(ran.err.endsWith("Another backup to drive a: is running. Wait until it has ended, "
                                 "then back up again.\n"))
        << ran.err.data();
    EXPECT_TRUE(QDir(stick()).isEmpty());
}

TEST_F(CommandLineTest, UsageErrorsSayWhatIsWrongAndShowTheUsage) {
    source(AllKinds);
    const QList<QStringList> wrong{
        {u"--bogus"_s},
        {u"--backup"_s},
        {u"--backup"_s, u"C:\\DATA\\ACCT1"_s},
        {u"--backup"_s, u"C:\\DATA\\NOPE"_s, u"--to"_s, u"a:"_s},
        {u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"q:"_s},
        {u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"stick"_s},
        {u"--last"_s, u"C:\\DATA\\ACCT1"_s, u"--older-than"_s, u"soon"_s},
        {u"C:\\DATA\\ACCT1"_s},
        {u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s, u"--schedule"_s, u"daily"_s,
         u"25:00"_s},
        {u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s, u"--schedule"_s, u"weekly"_s,
         u"07:00"_s},
    };
    for (const QStringList& arguments : wrong) {
        const Ran ran = run(arguments);
        EXPECT_EQ(ran.exitCode, 64) << arguments.join(u' ').toStdString();
        const QList<QByteArray> lines = ran.err.split('\n');
        EXPECT_TRUE(lines.size() > 2 && lines[0].startsWith("QEL_Trekkel: ") &&
                    lines[1].startsWith("Usage: QEL_Trekkel --backup SOURCE --to DRIVE"))
            << ran.err.data();
    }
    EXPECT_FALSE(QFileInfo::exists(recordFile()));
    EXPECT_TRUE(QDir(stick()).isEmpty());

    const Ran help = run({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--backup <SOURCE>") && help.out.contains("64  usage error"));
    const Ran version = run({u"--version"_s});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "QEL_Trekkel 1.0.0\n");
}

// A stand-in for systemctl that logs its arguments and fails when told to,
// as one without a user instance does.
TEST_F(CommandLineTest, ScheduleMakesATimerInstanceOrSaysWhichCrontabLineToAdd) {
    source(AllKinds);
    const QString bin = m_root.filePath(u"bin"_s);
    QDir().mkpath(bin);
    QFile fake(bin + u"/systemctl"_s);
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("#!/bin/sh\necho \"$*\" >> \"$CALLS\"\n"
               "[ -z \"$NO_USER_SYSTEMD\" ] || { echo 'Failed to connect to bus' >&2; exit 1; }\n");
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString calls = m_root.filePath(u"calls"_s);
    QMap<QString, QString> env{{u"PATH"_s, bin + u":"_s + qEnvironmentVariable("PATH")},
                               {u"CALLS"_s, calls}};
    const QStringList schedule{u"--backup"_s, home() + u"/DATA/ACCT1"_s, u"--to"_s,
                               u"a:"_s,       u"--schedule"_s,           u"daily"_s,
                               u"7:05"_s};
    const QString config = m_root.filePath(u"config"_s);

    env.insert(u"NO_USER_SYSTEMD"_s, u"1"_s);
    Ran ran = run(schedule, env);
    EXPECT_EQ(ran.exitCode, 1);
    EXPECT_TRUE(ran.err.endsWith("\n5 7 * * * '" QEL_PROGRAM
                                 "' --backup 'C:\\DATA\\ACCT1' --to 'a:' --notify\n"))
        << ran.err.data();
    EXPECT_FALSE(QFileInfo::exists(config + u"/systemd"_s));

    env.remove(u"NO_USER_SYSTEMD"_s);
    QFile::remove(calls);
    ran = run(schedule, env);
    EXPECT_EQ(ran.exitCode, 0) << ran.err.data();
    const QByteArray timer =
        "qel-trekkel-backup@a-" +
        QCryptographicHash::hash("C:\\DATA\\ACCT1", QCryptographicHash::Sha256).toHex().left(8) +
        ".timer";
    EXPECT_EQ(read(calls),
              "--user daemon-reload\n--user daemon-reload\n--user enable --now " + timer + "\n");
    EXPECT_EQ(read(config + u"/systemd/user/"_s + QString::fromLatin1(timer) + u".d/time.conf"_s),
              "[Timer]\nOnCalendar=\nOnCalendar=*-*-* 07:05:00\n");
    const QString environment = config + u"/qel-trekkel/schedule/"_s +
                                QString::fromLatin1(timer).section(u'@', 1).chopped(6) + u".conf"_s;
    EXPECT_EQ(read(environment), "SOURCE=\"C:\\\\DATA\\\\ACCT1\"\nDRIVE=\"a:\"\n");

    ran = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s, u"--unschedule"_s}, env);
    EXPECT_EQ(ran.exitCode, 0) << ran.err.data();
    EXPECT_TRUE(read(calls).contains("--user disable --now " + timer + "\n"));
    EXPECT_FALSE(QFileInfo::exists(environment));
    EXPECT_FALSE(
        QFileInfo::exists(config + u"/systemd/user/"_s + QString::fromLatin1(timer) + u".d"_s));

    // Without systemd, the line to take out of the crontab is named.
    env.insert(u"NO_USER_SYSTEMD"_s, u"1"_s);
    ran = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s, u"--unschedule"_s}, env);
    EXPECT_EQ(ran.exitCode, 1);
    EXPECT_TRUE(
        ran.err.endsWith("(crontab -e):\n'" QEL_PROGRAM "' --backup 'C:\\DATA\\ACCT1' --to 'a:'\n"))
        << ran.err.data();
}

// As cron starts a scheduled run: no bus address, the user's bus in the
// runtime folder, where a notification service of the test's own listens.
TEST_F(CommandLineTest, NotifyTellsOnceOfARunThatDidNotComplete) {
    PrivateBus bus(u"unix:path="_s + runtime() + u"/bus"_s);
    if (bus.address().isEmpty())
        GTEST_SKIP() << bus.problem().toStdString();
    FakeNotifications service(bus.address());
    ASSERT_TRUE(service.serving());
    source(AllKinds);
    const QStringList backup{u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s,
                             u"--notify"_s};

    const Ran complete = run(backup);
    EXPECT_EQ(complete.exitCode, 0) << complete.err.data();
    EXPECT_TRUE(service.received().isEmpty());

    ASSERT_TRUE(QDir(stick()).removeRecursively());
    const Ran failed = run(backup);
    EXPECT_EQ(failed.exitCode, 3);
    const QList<FakeNotifications::Notification> told = service.received();
    ASSERT_EQ(told.size(), 1) << failed.err.data();
    EXPECT_EQ(told[0].icon, u"qel-trekkel"_s);
    EXPECT_EQ(told[0].summary, u"A QEL backup did not complete"_s);
    // The window's message that ended the run, which names the drive, then how to run it again.
    const QString ended = QString::fromLocal8Bit(failed.err).section(u'\n', -2, -2);
    EXPECT_TRUE(ended.contains(u"drive a"_s)) << failed.err.data();
    EXPECT_TRUE(told[0].body.startsWith(ended + u'\n')) << told[0].body.toStdString();
    EXPECT_TRUE(told[0].body.endsWith(u"QEL_Trekkel --backup \"C:\\DATA\\ACCT1\" --to a:"_s))
        << told[0].body.toStdString();
    EXPECT_FALSE(recordLines().constLast().contains("not notified"));

    // A drive that went away after the backup was scheduled; the bus named
    // by its address, as in a desktop session.
    const Ran gone = run({u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"q:"_s, u"--notify"_s},
                         {{u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address()},
                          {u"XDG_RUNTIME_DIR"_s, m_root.filePath(u"elsewhere"_s)}});
    EXPECT_EQ(gone.exitCode, 64);
    ASSERT_EQ(service.received().size(), 2);
    EXPECT_TRUE(service.received()[1].body.startsWith(u"no drive q: here\n"_s));
}

TEST_F(CommandLineTest, ARunNobodyCouldBeToldOfKeepsItsExitCodeAndItsLineSaysSo) {
    source(AllKinds);
    ASSERT_TRUE(QDir(stick()).removeRecursively());
    const QStringList backup{u"--backup"_s, u"C:\\DATA\\ACCT1"_s, u"--to"_s, u"a:"_s,
                             u"--notify"_s};

    Ran ran = run(backup); // no bus at all
    EXPECT_EQ(ran.exitCode, 3);
    EXPECT_TRUE(ran.err.contains("\nQEL_Trekkel: not notified: no session bus")) << ran.err.data();
    PrivateBus bus(u"unix:path="_s + runtime() + u"/bus"_s);
    if (!bus.address().isEmpty()) { // a bus where no notification service runs
        ran = run(backup);
        EXPECT_EQ(ran.exitCode, 3);
        EXPECT_TRUE(ran.err.contains("\nQEL_Trekkel: not notified: no notification service"))
            << ran.err.data();
    }
    for (const QByteArray& line : recordLines())
        EXPECT_TRUE(line.contains(" (not notified: no ")) << line.data();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // for the test's own notification service
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
