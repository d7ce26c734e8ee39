#include "FakeControls.h"
#include "FakeDialogs.h"
#include "FakeProgressWindow.h"
#include "backup/BackupRun.h"
#include "platform/AppObject.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace qel::test {
namespace {

using Qt::StringLiterals::operator""_s;

// A whole run over real folders: drive C: and the stick a: are folders in a
// temporary directory, reached through a dosdevices drive table.
class BackupRunFileSystemTest : public ::testing::Test {
protected:
    BackupRunFileSystemTest() {
        const QString links = m_root.filePath(u"config/qel-trekkel/dosdevices"_s);
        QDir().mkpath(links);
        QDir().mkpath(homeDir());
        QDir().mkpath(stickDir());
        QFile::link(homeDir(), links + u"/c:"_s);
        QFile::link(stickDir(), links + u"/a:"_s);
    }

    ~BackupRunFileSystemTest() override {
        if (m_mounted)
            ::umount2(stickDir().toLocal8Bit().constData(), MNT_DETACH);
    }

    QString homeDir() const { return m_root.filePath(u"home"_s); }
    QString stickDir() const { return m_root.filePath(u"stick"_s); }

    static void write(const QString& path, const QByteArray& data) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        ASSERT_EQ(f.write(data), data.size());
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static QStringList namesIn(const QString& folder) {
        QStringList names = QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
        names.sort();
        return names;
    }

    // Puts a tmpfs over the stick folder; false when this process may not mount.
    bool mountStick(unsigned long flags, const char* options) {
        if (::mount("tmpfs", stickDir().toLocal8Bit().constData(), "tmpfs", flags, options) != 0)
            return false;
        m_mounted = true;
        return true;
    }
    void remountStick(unsigned long flags, const char* options) {
        ASSERT_EQ(::mount("tmpfs", stickDir().toLocal8Bit().constData(), "tmpfs",
                          MS_REMOUNT | flags, options),
                  0)
            << std::strerror(errno);
    }

    void source(const QMap<QString, QByteArray>& files) {
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            write(homeDir() + u"/DATA/ACCT1/"_s + it.key(), it.value());
        file1.setEntries(namesIn(homeDir() + u"/DATA/ACCT1"_s));
    }

    void runBackup() {
        LinuxDrives drives(
            DriveTableSources{[] { return QByteArray(); }, QByteArrayLiteral("/sys"),
                              [this] { return homeDir().toLocal8Bit(); },
                              [this] { return m_root.filePath(u"config"_s).toLocal8Bit(); },
                              [this] { return homeDir().toLocal8Bit(); }});
        LinuxFileSystemObject fso(drives);
        BackupRun run(file1, dir1, drive2, window, dialogs, app,
                      [&]() -> FileSystemObject& { return fso; });
        run.cmd_BackupDefault_Click();
    }

    QTemporaryDir m_root;
    bool m_mounted = false;
    FakeFileList file1;
    FakeDirList dir1{u"C:\\DATA\\ACCT1"_s};
    FakeDriveList drive2{{u"a:"_s, u"C:"_s}};
    FakeProgressWindow window;
    FakeDialogs dialogs;
    AppObject app{u"C:\\QEL"_s, 1, 0, 0};
};

TEST_F(BackupRunFileSystemTest, CopiesTheDataFilesAndReplacesTheOlderBackup) {
    source({{u"ACCT.HST"_s, "hst"},
            {u"acct2.hst"_s, "lower case matches too"},
            {u"ACCT.CVD"_s, "cvd"},
            {u"ACCT.CVT"_s, "cvt"},
            {u"Konto Ü 2.CVT"_s, "spaces and umlaut"},
            {u"ACCT.XPT"_s, QByteArray(300 * 1024, 'x')},
            {u"WINCORV.EXE"_s, "exe"},
            {u"README.TXT"_s, "not a data file"}});
    // A pipe named like a data file is never read (it would block) nor copied.
    ASSERT_EQ(::mkfifo((homeDir() + u"/DATA/ACCT1/LIVE.XPT"_s).toLocal8Bit().constData(), 0600), 0);
    const QString old = stickDir() + u"/ACCT1/ACCT.HST"_s;
    write(old, "older backup");
    write(stickDir() + u"/ACCT1/OTHER.DAT"_s, "stays");
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1'000'000'000);
    {
        QFile f(homeDir() + u"/DATA/ACCT1/ACCT.CVD"_s);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    dialogs.answer({Answer::Yes, Answer::OK});

    runBackup();

    EXPECT_EQ(dialogs.texts(),
              (QStringList{u"Backing up to drive a:. Is this right?"_s, u"Backup Complete"_s}));
    EXPECT_EQ(namesIn(stickDir()), (QStringList{u"ACCT1"_s, u"WINCORV.EXE"_s}));
    EXPECT_EQ(namesIn(stickDir() + u"/ACCT1"_s),
              (QStringList{u"ACCT.CVD"_s, u"ACCT.CVT"_s, u"ACCT.HST"_s, u"ACCT.XPT"_s,
                           u"Konto Ü 2.CVT"_s, u"OTHER.DAT"_s, u"acct2.hst"_s}));
    EXPECT_EQ(read(old), "hst");
    EXPECT_EQ(read(stickDir() + u"/ACCT1/ACCT.XPT"_s), QByteArray(300 * 1024, 'x'));
    EXPECT_EQ(read(stickDir() + u"/ACCT1/Konto Ü 2.CVT"_s), "spaces and umlaut");
    EXPECT_EQ(read(stickDir() + u"/ACCT1/OTHER.DAT"_s), "stays");
    EXPECT_EQ(read(stickDir() + u"/WINCORV.EXE"_s), "exe");
    EXPECT_EQ(QFileInfo(stickDir() + u"/ACCT1/ACCT.CVD"_s).lastModified(), stamp);
}

TEST_F(BackupRunFileSystemTest, WriteProtectedStickIsRetriedOnceTheUserFixesIt) {
    if (!mountStick(MS_RDONLY, "size=1m"))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    source({{u"ACCT.CVT"_s, "cvt"}, {u"ACCT.HST"_s, "hst"}});
    // Yes; OK to the refused folder; OK to the three kinds that are missing; complete.
    dialogs.answer({Answer::Yes, Answer::OK, Answer::OK, Answer::OK, Answer::OK, Answer::OK});
    dialogs.onBox = [&](const ShownBox& box) {
        if (box.text.startsWith(u"Please insert a disk"_s))
            remountStick(0, "size=1m");
    };

    runBackup();

    const QStringList texts = dialogs.texts();
    EXPECT_TRUE(texts.contains(u"Please insert a disk in drive a."_s))
        << texts.join(u'\n').toStdString();
    EXPECT_EQ(texts.last(), u"Backup Complete"_s);
    EXPECT_EQ(read(stickDir() + u"/ACCT1/ACCT.HST"_s), "hst");
    EXPECT_EQ(read(stickDir() + u"/ACCT1/ACCT.CVT"_s), "cvt");
}

TEST_F(BackupRunFileSystemTest, FullStickBreaksOffAndKeepsTheOlderBackup) {
    if (!mountStick(0, "size=1m"))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    write(stickDir() + u"/ACCT1/ACCT.HST"_s, "older backup");
    source({{u"ACCT.CVT"_s, "cvt"}, {u"ACCT.HST"_s, QByteArray(2 * 1024 * 1024, 'h')}});
    dialogs.answer({Answer::Yes, Answer::OK});

    runBackup();

    const QString full = dialogs.texts().last();
    EXPECT_TRUE(full.startsWith(u"Disk full: "_s) &&
                full.contains(u":\\ACCT1\\ACCT.HST needs "_s) &&
                full.endsWith(u" KB more to be replaced safely"_s))
        << full.toStdString();
    EXPECT_EQ(dialogs.boxes().last().icon, Icon::Exclamation);
    EXPECT_EQ(read(stickDir() + u"/ACCT1/ACCT.HST"_s), "older backup");
    EXPECT_EQ(namesIn(stickDir() + u"/ACCT1"_s), QStringList{u"ACCT.HST"_s});
    EXPECT_EQ(window.log.mid(window.log.size() - 3),
              (QStringList{u"Stop"_s, u"Close"_s, u"unload"_s}));
}

// A stick pulled from its fixed mount folder between two steps leaves that
// folder on the internal disk: the run asks for the stick instead of writing
// there, and completes on the disk put back.
TEST_F(BackupRunFileSystemTest, AStickPulledMidRunIsAskedForAndItsFolderStaysEmpty) {
    if (!mountStick(0, "size=1m"))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    source({{u"ACCT.HST"_s, "hst"},
            {u"ACCT.CVD"_s, "cvd"},
            {u"ACCT.CVT"_s, "cvt"},
            {u"ACCT.XPT"_s, "xpt"},
            {u"WINCORV.EXE"_s, "exe"}});
    dialogs.atYield([] {});
    dialogs.atYield([&] {
        ASSERT_EQ(::umount(stickDir().toLocal8Bit().constData()), 0) << std::strerror(errno);
        m_mounted = false;
    });
    int asked = 0;
    dialogs.onBox = [&](const ShownBox& box) {
        if (!box.text.startsWith(u"Please insert a disk"_s) || ++asked != 2)
            return;
        EXPECT_TRUE(namesIn(stickDir()).isEmpty()); // also after the first OK
        ASSERT_TRUE(mountStick(0, "size=1m"));
    };
    dialogs.answer({Answer::Yes, Answer::OK, Answer::OK, Answer::OK});

    runBackup();

    EXPECT_EQ(dialogs.texts(),
              (QStringList{u"Backing up to drive a:. Is this right?"_s,
                           u"Please insert a disk in drive a."_s,
                           u"Please insert a disk in drive a."_s, u"Backup Complete"_s}));
    EXPECT_EQ(read(stickDir() + u"/ACCT1/ACCT.CVD"_s), "cvd");
    EXPECT_EQ(read(stickDir() + u"/WINCORV.EXE"_s), "exe");
}

} // namespace
} // namespace qel::test
