#include "platform/linux/UDisksMedia.h"

#include "ErrorNumber.h"
#include "FakeUDisks.h"
#include "PrivateBus.h"
#include "platform/Error.h"
#include "platform/linux/LinuxDrives.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>

namespace qel {
namespace {

using test::FakeUDisks;

const QString Sdb1 = QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1");

// A machine whose media come from a UDisks2 service of the test's own on a
// private bus; nothing is mounted until the service mounts it.
class UDisksTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (m_bus.address().isEmpty())
            GTEST_SKIP() << m_bus.problem().toStdString()
                         << "; the UDisks2 tests need a private bus";
        m_service = std::make_unique<FakeUDisks>(m_bus.address());
        ASSERT_TRUE(m_service->serving());
        QDir().mkpath(m_tmp.path() + QStringLiteral("/home"));
        QDir().mkpath(m_tmp.path() + QStringLiteral("/stick"));
        m_service->onMount([this](const FakeUDisks::Device& device) {
            const QString point = m_tmp.path() + QStringLiteral("/stick");
            std::lock_guard lock(m_mutex);
            m_mounts += "9 1 " + QByteArray::number(device.major) + ':' +
                        QByteArray::number(device.minor) + " / " + QFile::encodeName(point) +
                        " rw - vfat /dev/" + device.name.toUtf8() + " rw\n";
            return point;
        });
    }

    void TearDown() override {
        m_media.reset();
        QDBusConnection::disconnectFromBus(m_connectionName);
    }

    UDisksMedia& media(UDisksTimeOuts timeOuts = {2000, 2000}) {
        m_media = std::make_unique<UDisksMedia>(
            [this] { return QDBusConnection::connectToBus(m_bus.address(), m_connectionName); },
            timeOuts);
        return *m_media;
    }

    std::unique_ptr<LinuxDrives> drives(RemovableMedia& media) {
        DriveTableSources sources;
        sources.mountInfo = [this] {
            std::lock_guard lock(m_mutex);
            return m_mounts;
        };
        sources.sysRoot = QFile::encodeName(m_tmp.path() + QStringLiteral("/nosys"));
        sources.home = [this] { return QFile::encodeName(m_tmp.path() + QStringLiteral("/home")); };
        sources.configHome = sources.home;
        sources.currentDir = sources.home;
        sources.media = &media;
        return std::make_unique<LinuxDrives>(sources);
    }

    static QStringList texts(const Drives& drives) {
        QStringList list;
        for (const DriveEntry& e : drives.entries())
            list << e.text;
        return list;
    }

    test::PrivateBus m_bus;
    QString m_connectionName =
        QStringLiteral("client-%1")
            .arg(
                QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::unique_ptr<FakeUDisks> m_service;
    std::unique_ptr<UDisksMedia> m_media;
    QTemporaryDir m_tmp;
    std::mutex m_mutex; // the service mounts on QtDBus's thread
    QByteArray m_mounts = "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
};

TEST_F(UDisksTest, ListsRemovableFileSystemsAndFollowsTheServiceWithoutBlocking) {
    m_service->add({QStringLiteral("sda1"), 8, 1, QStringLiteral("SYSTEM"), false});
    m_service->add({QStringLiteral("sdb1"), 8, 17, QStringLiteral("STICK")});
    UDisksMedia& udisks = media();
    auto table = drives(udisks);
    EXPECT_TRUE(udisks.media().isEmpty()) << "nothing is asked before it is needed";

    udisks.load(); // a drive is chosen before the service was asked
    EXPECT_EQ(udisks.media(), (QList<RemovableMedium>{{Sdb1, 8, 17, QStringLiteral("STICK")}}));
    EXPECT_EQ(texts(*table), (QStringList{QStringLiteral("a: [STICK]"), QStringLiteral("C:"),
                                          QStringLiteral("Z:")}));
    EXPECT_FALSE(table->isReady(u'A'));

    QSignalSpy changed(&udisks, &UDisksMedia::changed);
    udisks.start();
    m_service->add({QStringLiteral("sdc1"), 8, 33, QStringLiteral("CARD")});
    ASSERT_TRUE(changed.wait(3000));
    while (udisks.media().size() < 2 && changed.wait(3000)) {
    }
    EXPECT_EQ(texts(*table).mid(0, 2),
              (QStringList{QStringLiteral("a: [STICK]"), QStringLiteral("b: [CARD]")}));
}

TEST_F(UDisksTest, ChosenMediumIsMountedWithInteractiveAuthorisationAndKeepsItsLetter) {
    m_service->add({QStringLiteral("sdb1"), 8, 17, QStringLiteral("STICK")});
    UDisksMedia& udisks = media();
    auto table = drives(udisks);

    table->makeReady(u'a');
    EXPECT_TRUE(table->isReady(u'A'));
    EXPECT_EQ(texts(*table).first(), QStringLiteral("a: [STICK]"));
    EXPECT_EQ(table->toHostPath(QStringLiteral("a:\\ACCT1")),
              QFile::encodeName(m_tmp.path() + QStringLiteral("/stick/ACCT1")));
    ASSERT_EQ(m_service->mountCalls().size(), 1);
    EXPECT_TRUE(m_service->mountCalls()[0].interactive);
    EXPECT_EQ(m_service->mountCalls()[0].options.value(QStringLiteral("auth.no_user_interaction")),
              QVariant(false));
    table->makeReady(u'A'); // mounted now: the service is not asked again
    EXPECT_EQ(m_service->mountCalls().size(), 1);
}

TEST_F(UDisksTest, RefusedSilentOrMissingServiceLeavesTheDriveNotReady) {
    FakeUDisks::Device refusing{QStringLiteral("sdb1"), 8, 17, QStringLiteral("STICK")};
    refusing.answer = FakeUDisks::Answer::Refuse;
    FakeUDisks::Device silent{QStringLiteral("sdc1"), 8, 33, QStringLiteral("CARD")};
    silent.answer = FakeUDisks::Answer::Never;
    m_service->add(refusing);
    m_service->add(silent);
    UDisksMedia& udisks = media({2000, 300});
    auto table = drives(udisks);

    struct Case {
        QChar letter;
        const char* text;
        const char* reason; // the description; null: any (the time-out's own words)
    };
    for (const Case& c : {Case{u'A', "a: [STICK]", "Not authorized to perform operation"},
                          Case{u'B', "b: [CARD]", nullptr}}) {
        SCOPED_TRACE(c.text);
        int ticks = 0; // the event loop keeps running while the mount waits
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        try {
            table->makeReady(c.letter);
            ADD_FAILURE() << "the drive became ready";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), err::DeviceUnavailable);
            EXPECT_FALSE(e.description().isEmpty());
            if (c.reason)
                EXPECT_EQ(e.description(), QString::fromUtf8(c.reason));
            else
                EXPECT_GT(ticks, 0);
        }
        EXPECT_TRUE(texts(*table).contains(QString::fromUtf8(c.text)));
        EXPECT_EQ(test::errorNumberOf([&] { table->currentDirectory(c.letter); }),
                  err::DeviceUnavailable);
    }
    m_media.reset();
    QDBusConnection::disconnectFromBus(m_connectionName);

    // No service on the bus, or no bus at all: no media, no message, no wait.
    m_service.reset();
    for (const QString& address : {m_bus.address(), QStringLiteral("unix:path=/nonexistent")}) {
        m_media = std::make_unique<UDisksMedia>(
            [&] { return QDBusConnection::connectToBus(address, m_connectionName); });
        auto table = drives(*m_media);
        m_media->start();
        EXPECT_EQ(test::errorNumberOf([&] { table->makeReady(u'A'); }), err::DeviceUnavailable);
        EXPECT_TRUE(m_media->media().isEmpty());
        EXPECT_EQ(texts(*table).first(), QStringLiteral("a:"));
        m_media.reset();
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
}

} // namespace
} // namespace qel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
