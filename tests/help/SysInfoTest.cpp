#include "help/SysInfo.h"

#include "FakeDialogs.h"
#include "FakeLauncher.h"
#include "FakeRegistry.h"
#include "platform/Error.h"

#include <functional>
#include <gtest/gtest.h>

namespace qel {
namespace {

const QString kKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QByteArray withNul(const char* text) {
    return QByteArray(text).append('\0');
}

struct ValueCase {
    const char* name;
    std::function<void(test::FakeRegistry&)> store;
    const char* entry;
    bool result;
    QString expected;
};

class GetKeyValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(GetKeyValueTest, ReadsAsTheClassicRoutineDid) {
    const ValueCase& c = GetParam();
    test::FakeRegistry registry;
    c.store(registry);
    QString KeyVal = QString::fromUtf8(c.entry);

    EXPECT_EQ(GetKeyValue(registry, HKEY_LOCAL_MACHINE, kKey, QStringLiteral("PATH"), KeyVal),
              c.result);
    EXPECT_EQ(KeyVal, c.expected);
    EXPECT_EQ(registry.openKeys(), 0);
    for (auto access : registry.accessAsked())
        EXPECT_EQ(access, 0x20019u); // reading only
}

const auto set = [](std::uint32_t type, QByteArray data) {
    return [=](test::FakeRegistry& r) { r.setValue(kKey, QStringLiteral("PATH"), type, data); };
};

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueTest,
    ::testing::Values(
        ValueCase{"TextWithNul", set(REG_SZ, withNul("Z:\\bin\\tool")), "", true, "Z:\\bin\\tool"},
        ValueCase{"TextWithoutNul", set(REG_SZ, "Z:\\bin\\tool"), "", true, "Z:\\bin\\tool"},
        ValueCase{"TextReplacesEntry", set(REG_SZ, withNul("new")), "old", true, "new"},
        ValueCase{"TextOfExactly1024", set(REG_SZ, QByteArray(1024, 'x')), "", true,
                  QString(1024, 'x')},
        ValueCase{"TextOf1025IsMissing", set(REG_SZ, QByteArray(1025, 'x')), "keep", false, ""},
        ValueCase{"DwordFullHighByte", set(REG_DWORD, bytes({0x78, 0x56, 0x34, 0x12})), "", true,
                  "&h12345678"},
        // The zero high byte is taken for the terminating NUL, and each byte
        // gives its digits without leading zeros.
        ValueCase{"DwordZeroHighByte", set(REG_DWORD, bytes({0x1A, 0x02, 0x01, 0x00})), "", true,
                  "&h121A"},
        ValueCase{"DwordZero", set(REG_DWORD, bytes({0, 0, 0, 0})), "", true, "&h000"},
        ValueCase{"DwordKeepsEntryText", set(REG_DWORD, bytes({0x0F, 0, 0, 0x01})), "C:", true,
                  "&hC:100F"},
        ValueCase{"ExpandTextLeavesEntry", set(REG_EXPAND_SZ, withNul("x")), "keep", true, "keep"},
        ValueCase{"BinaryLeavesEntry", set(REG_BINARY, bytes({1, 2})), "keep", true, "keep"},
        ValueCase{"MultiTextLeavesEntry", set(REG_MULTI_SZ, withNul("a")), "", true, ""},
        ValueCase{"MissingKey", [](test::FakeRegistry&) {}, "keep", false, ""},
        ValueCase{"MissingValue",
                  [](test::FakeRegistry& r) { r.setText(kKey, QStringLiteral("OTHER"), "x"); },
                  "keep", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetKeyValue, AStoredSizeOfZeroOrBeyondTheBufferRaisesAndStillClosesTheKey) {
    for (std::uint32_t size : {0u, 1025u}) {
        test::FakeRegistry registry;
        registry.setValue(kKey, QStringLiteral("PATH"), REG_SZ, withNul("x"));
        registry.reportSize(size);
        QString KeyVal = QStringLiteral("keep");
        try {
            GetKeyValue(registry, HKEY_LOCAL_MACHINE, kKey, QStringLiteral("PATH"), KeyVal);
            ADD_FAILURE() << "no error for size " << size;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 5);
        }
        EXPECT_EQ(KeyVal, "keep");
        EXPECT_EQ(registry.openKeys(), 0);
    }
}

struct StartCase {
    const char* name;
    std::function<void(test::FakeRegistry&, test::FakeLauncher&)> setup;
    QStringList keysOpened;
    QStringList looked;
    QStringList started;
    bool unavailable;
};

class StartSysInfoTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartSysInfoTest, LooksUpInOrderAndStartsOrSaysUnavailable) {
    const StartCase& c = GetParam();
    test::FakeRegistry registry;
    test::FakeLauncher launcher;
    test::FakeDialogs dialogs;
    c.setup(registry, launcher);
    if (c.unavailable)
        dialogs.answer({Answer::OK});

    StartSysInfo(registry, launcher, dialogs);

    EXPECT_EQ(registry.keysOpened(), c.keysOpened);
    EXPECT_EQ(launcher.looked(), c.looked);
    EXPECT_EQ(launcher.started(), c.started);
    EXPECT_EQ(registry.openKeys(), 0);
    if (c.unavailable) {
        ASSERT_EQ(dialogs.boxes().size(), 1);
        const auto& box = dialogs.boxes().front();
        EXPECT_EQ(box.text, "System Information Is Unavailable At This Time");
        EXPECT_EQ(box.kind, BoxKind::Notice);
        EXPECT_EQ(box.icon, Icon::None);
        EXPECT_EQ(box.title, "");
    } else {
        EXPECT_TRUE(dialogs.boxes().isEmpty());
    }
}

const auto path = [](test::FakeRegistry& r, const char* p) {
    r.setText(kKey, QStringLiteral("PATH"), QString::fromUtf8(p));
};
const auto folder = [](test::FakeRegistry& r, const char* p) {
    r.setText(kLocKey, QStringLiteral("MSINFO"), QString::fromUtf8(p));
};

INSTANTIATE_TEST_SUITE_P(
    Cases, StartSysInfoTest,
    ::testing::Values(StartCase{"PathStartedWithoutLookingItUp",
                                [](auto& r, auto&) {
                                    path(r, "Z:\\usr\\bin\\hardinfo");
                                    folder(r, "Z:\\other");
                                },
                                {kKey},
                                {},
                                {"Z:\\usr\\bin\\hardinfo"},
                                false},
                      StartCase{"FolderHoldingTheTool",
                                [](auto& r, auto& l) {
                                    folder(r, "C:\\TOOLS");
                                    l.addFile("C:\\TOOLS\\MSINFO32.EXE");
                                },
                                {kLocKey},
                                {"C:\\TOOLS\\MSINFO32.EXE"},
                                {"C:\\TOOLS\\MSINFO32.EXE"},
                                false},
                      StartCase{"FolderTextUsedAsReturned",
                                [](auto& r, auto& l) {
                                    folder(r, "C:\\TOOLS\\");
                                    l.addFile("C:\\TOOLS\\\\MSINFO32.EXE");
                                },
                                {kLocKey},
                                {"C:\\TOOLS\\\\MSINFO32.EXE"},
                                {"C:\\TOOLS\\\\MSINFO32.EXE"},
                                false},
                      StartCase{"FolderWithoutTheTool",
                                [](auto& r, auto&) { folder(r, "C:\\TOOLS"); },
                                {kLocKey},
                                {"C:\\TOOLS\\MSINFO32.EXE"},
                                {},
                                true},
                      StartCase{"NeitherValue", [](auto&, auto&) {}, {}, {}, {}, true},
                      StartCase{"StartFails",
                                [](auto& r, auto& l) {
                                    path(r, "Z:\\gone");
                                    l.failStart(Error(err::FileNotFound));
                                },
                                {kKey},
                                {},
                                {},
                                true},
                      // True with empty text, and starting nothing fails.
                      StartCase{"PathOfAnotherType",
                                [](auto& r, auto&) {
                                    r.setValue(kKey, QStringLiteral("PATH"), REG_EXPAND_SZ,
                                               withNul("x"));
                                },
                                {kKey},
                                {},
                                {},
                                true},
                      // The raised error ends the look-ups at once.
                      StartCase{"PathStoredWithSizeZero",
                                [](auto& r, auto&) {
                                    r.setValue(kKey, QStringLiteral("PATH"), REG_SZ, {});
                                    folder(r, "C:\\TOOLS");
                                },
                                {kKey},
                                {},
                                {},
                                true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qel
