// The registry and the launcher against the real (Wine) registry and a real
// program.
#include "ErrorNumber.h"
#include "help/SysInfo.h"
#include "platform/Error.h"
#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsLauncher.h"
#include "platform/windows/WindowsRegistry.h"

#include "platform/windows/Win32.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace qel {
namespace {

// The program's names for these are the system headers' macros here.
constexpr std::uint32_t Machine = 0x80000002u;
constexpr std::uint32_t ReadOnly = 0x20019;

// Where the program looks for the system-information tool, pointed at path.
void registerTool(const QString& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, gREGKEYSYSINFO, 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const QByteArray value = path.toLocal8Bit();
    RegSetValueExA(key, gREGVALSYSINFO, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.constData()), DWORD(value.size() + 1));
    RegCloseKey(key);
}

TEST(WindowsRegistryTest, FindsTheToolAndOpensForReadingOnly) {
    registerTool(QStringLiteral("C:\\Program Files\\Tools\\MSINFO32.EXE"));
    WindowsRegistry registry;
    QString value;
    ASSERT_TRUE(GetKeyValue(registry, Machine, QLatin1String(gREGKEYSYSINFO),
                            QLatin1String(gREGVALSYSINFO), value));
    EXPECT_EQ(value, QStringLiteral("C:\\Program Files\\Tools\\MSINFO32.EXE"));

    RegKey key = 0;
    EXPECT_EQ(registry.RegOpenKeyEx(Machine, gREGKEYSYSINFO, 0, KEY_WRITE, key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(registry.RegOpenKeyEx(Machine, "SOFTWARE\\No Such Key", 0,
                                    ReadOnly, key),
              ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(registry.RegOpenKeyEx(Machine, gREGKEYSYSINFO, 0, ReadOnly, key),
              ERROR_SUCCESS);
    char small[4];
    std::uint32_t type = 0, size = sizeof small;
    EXPECT_EQ(registry.RegQueryValueEx(key, gREGVALSYSINFO, type, small, size), ERROR_MORE_DATA);
    EXPECT_EQ(type, std::uint32_t(REG_SZ));
    EXPECT_GT(size, sizeof small);
    EXPECT_EQ(registry.RegCloseKey(key), ERROR_SUCCESS);
}

class WindowsLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_tmp.isValid());
        m_folder = QDir::toNativeSeparators(m_tmp.path());
        ASSERT_TRUE(QFile::copy(QStringLiteral(QEL_LAUNCH_PROBE), m_tmp.filePath("probe.exe")));
    }

    QTemporaryDir m_tmp;
    QString m_folder;
    WindowsDrives m_drives;
    WindowsLauncher m_launcher{m_drives};
};

TEST_F(WindowsLauncherTest, StartsTheProgramInANormalWindowWithoutWaiting) {
    EXPECT_EQ(m_launcher.findFile(m_folder + "\\probe.exe"), QStringLiteral("probe.exe"));
    m_launcher.startProgram(m_folder + "\\probe.exe");

    QFile marker(m_tmp.filePath("launched.txt"));
    QElapsedTimer clock;
    clock.start();
    while (!(marker.exists() && marker.size() > 0) && clock.elapsed() < 20000)
        QThread::msleep(50);
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(marker.readAll(), "normal");
}

TEST_F(WindowsLauncherTest, NamesWhatCannotBeStarted) {
    EXPECT_EQ(m_launcher.findFile(m_folder + "\\missing.exe"), QString());
    EXPECT_EQ(m_launcher.findFile(m_folder), QString()); // a folder is no file
    EXPECT_EQ(test::errorNumberOf([&] { m_launcher.startProgram(m_folder + "\\missing.exe"); }), 53);
    EXPECT_EQ(test::errorNumberOf([&] { m_launcher.startProgram(QString()); }), 53);
    EXPECT_EQ(test::errorNumberOf([&] { m_launcher.startProgram(m_folder); }), 75);
    QFile text(m_tmp.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a program");
    text.close();
    EXPECT_EQ(test::errorNumberOf([&] { m_launcher.startProgram(m_folder + "\\notes.txt"); }), 75);
}

} // namespace
} // namespace qel
