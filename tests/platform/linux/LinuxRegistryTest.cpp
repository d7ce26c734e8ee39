#include "platform/linux/LinuxRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace qel {
namespace {

const QByteArray kKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

class LinuxRegistryTest : public ::testing::Test {
protected:
    // Writes dir/qel-trekkel/system.reg.
    void write(const QString& dir, const QByteArray& text) {
        ASSERT_TRUE(QDir().mkpath(dir + "/qel-trekkel"));
        QFile f(dir + "/qel-trekkel/system.reg");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(text), text.size());
    }

    QString dir(const char* name) const { return m_tmp.filePath(QLatin1String(name)); }

    // The PATH value as text, or the status when reading failed.
    static QString readPath(LinuxRegistry& registry, std::uint32_t access = 0x20019) {
        RegKey key = 0;
        if (long rc = registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, kKey, 0, access, key))
            return QStringLiteral("open %1").arg(rc);
        char data[64] = {};
        std::uint32_t type = 0;
        std::uint32_t size = sizeof data;
        const long rc = registry.RegQueryValueEx(key, "path", type, data, size);
        EXPECT_EQ(registry.RegCloseKey(key), 0);
        if (rc)
            return QStringLiteral("query %1").arg(rc);
        EXPECT_EQ(type, REG_SZ);
        return QString::fromUtf8(data, size - 1);
    }

    QTemporaryDir m_tmp;
};

QByteArray store(const char* path) {
    return QByteArray("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
                      "\"PATH\"=\"") +
           path + "\"\n";
}

TEST_F(LinuxRegistryTest, TheFirstFolderWithAStoreWinsAndEditsApplyAtTheNextOpening) {
    write(dir("second"), store("second"));
    LinuxRegistry registry({dir("first"), dir("second")});
    EXPECT_EQ(readPath(registry), "second");
    EXPECT_EQ(registry.storePath(), dir("second") + "/qel-trekkel/system.reg");

    write(dir("first"), store("first"));
    EXPECT_EQ(readPath(registry), "first");
    write(dir("first"), "REGEDIT4\n");
    EXPECT_EQ(readPath(registry), "open 2");
}

TEST_F(LinuxRegistryTest, OpeningAsksForReadingOnlyAndOnlyMachineKeysExist) {
    write(dir("a"), store("tool"));
    LinuxRegistry registry({dir("a")});
    EXPECT_EQ(readPath(registry, 0x20019), "tool");
    EXPECT_EQ(readPath(registry, 0x2003F), "open 5"); // asks for writing too
    RegKey key = 0;
    EXPECT_EQ(registry.RegOpenKeyEx(0x80000001u, kKey, 0, 0x20019, key), 2);
    EXPECT_EQ(registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nothing", 0, 0x20019, key), 2);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(LinuxRegistry({dir("none")}).storePath(), "");
    LinuxRegistry empty({dir("none")});
    EXPECT_EQ(readPath(empty), "open 2");
}

TEST_F(LinuxRegistryTest, ReadingAValueTooLargeForTheBufferLeavesTheBufferAlone) {
    write(dir("a"), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
                    "\"PATH\"=hex:" +
                        QByteArray(1025, ',').replace(",", "41,") + "\n@=dword:1\n");
    LinuxRegistry registry({dir("a")});
    RegKey key = 0;
    ASSERT_EQ(registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, kKey, 0, 0x20019, key), 0);
    QByteArray buffer(1024, '\0');
    std::uint32_t type = 99;
    std::uint32_t size = 1024;
    EXPECT_EQ(registry.RegQueryValueEx(key, "PATH", type, buffer.data(), size), 234);
    EXPECT_EQ(buffer, QByteArray(1024, '\0'));
    EXPECT_EQ(type, 99u);

    size = 1024;
    EXPECT_EQ(registry.RegQueryValueEx(key, "", type, buffer.data(), size), 0);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(registry.RegQueryValueEx(key, "missing", type, buffer.data(), size), 2);

    EXPECT_EQ(registry.RegCloseKey(key), 0);
    EXPECT_NE(registry.RegCloseKey(key), 0); // already closed
    EXPECT_NE(registry.RegQueryValueEx(key, "PATH", type, buffer.data(), size), 0);
    EXPECT_EQ(registry.RegCloseKey(0), 0);
}

TEST_F(LinuxRegistryTest, AStoreThatIsAFolderOrUnreadableCountsAsMissing) {
    ASSERT_TRUE(QDir().mkpath(dir("a") + "/qel-trekkel/system.reg"));
    write(dir("b"), store("b"));
    LinuxRegistry registry({dir("a"), dir("b")});
    EXPECT_EQ(readPath(registry), "b");
}

TEST_F(LinuxRegistryTest, TheShippedSampleRegistersNothingUntilItsLineIsUncommented) {
    QFile sample(qEnvironmentVariable("QEL_TEST_DATA") + "/../../../data/system.reg");
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray text = sample.readAll();
    write(dir("a"), text);
    LinuxRegistry registry({dir("a")});
    EXPECT_EQ(readPath(registry), "query 2");

    write(dir("a"), QByteArray(text).replace(";\"PATH\"", "\"PATH\""));
    EXPECT_EQ(readPath(registry), "Z:\\usr\\bin\\hardinfo");
}

TEST(XdgConfigDirs, TakesAbsoluteEntriesInOrderAndFallsBackToEtcXdg) {
    const QByteArray saved = qgetenv("XDG_CONFIG_DIRS");
    const bool had = qEnvironmentVariableIsSet("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_DIRS", "/one::relative:/two/");
    EXPECT_EQ(xdgConfigDirs(), (QStringList{"/one", "/two/"}));
    qputenv("XDG_CONFIG_DIRS", "");
    EXPECT_EQ(xdgConfigDirs(), QStringList{"/etc/xdg"});
    qunsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(xdgConfigDirs(), QStringList{"/etc/xdg"});
    if (had)
        qputenv("XDG_CONFIG_DIRS", saved);
}

} // namespace
} // namespace qel
