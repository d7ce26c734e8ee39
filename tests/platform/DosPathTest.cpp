#include "platform/DosPath.h"

#include "platform/DosNames.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

QString u16(const char16_t* text) {
    return QString::fromUtf16(text);
}

struct ParseCase {
    const char* text;
    const char* expected; // nullptr: not an absolute DOS path
};

class DosPathParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DosPathParse, NormalisesOrRejects) {
    const auto path = DosPath::parse(QString::fromUtf8(GetParam().text));
    if (!GetParam().expected) {
        EXPECT_FALSE(path) << path->toString().toStdString();
        return;
    }
    ASSERT_TRUE(path);
    EXPECT_EQ(path->toString(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Table, DosPathParse,
                         ::testing::Values(ParseCase{"C:\\", "C:\\"}, ParseCase{"c:\\\\", "c:\\"},
                                           ParseCase{"C:\\DATA\\\\ACCT1\\", "C:\\DATA\\ACCT1"},
                                           ParseCase{"a:/x//y/", "a:\\x\\y"},
                                           ParseCase{"C:\\.\\A\\.", "C:\\A"},
                                           ParseCase{"C:\\A\\..\\..\\..\\B", "C:\\B"},
                                           ParseCase{"C:\\*.HST", "C:\\*.HST"},
                                           ParseCase{"C:\\My Files\\x.y.z", "C:\\My Files\\x.y.z"},
                                           ParseCase{"C:", nullptr}, ParseCase{"C:DATA", nullptr},
                                           ParseCase{"\\DATA", nullptr}, ParseCase{"1:\\", nullptr},
                                           ParseCase{"", nullptr}, ParseCase{"C:\\A:B", nullptr},
                                           ParseCase{"C:\\A\x01"
                                                     "B",
                                                     nullptr},
                                           ParseCase{"\xc3\x84:\\", nullptr}));

TEST(DosPath, ParentChildAndDriveTexts) {
    const auto path = DosPath::parse(QStringLiteral("c:\\A\\B"));
    ASSERT_TRUE(path);
    // The letter keeps the case it was written in, through parent and child.
    EXPECT_EQ(path->drive, QChar(u'C'));
    EXPECT_EQ(path->driveText(), QStringLiteral("c:"));
    EXPECT_EQ(path->parent().toString(), QStringLiteral("c:\\A"));
    EXPECT_EQ(path->parent().parent().parent().toString(), QStringLiteral("c:\\"));
    EXPECT_EQ(path->child(QStringLiteral("D")).toString(), QStringLiteral("c:\\A\\B\\D"));
    EXPECT_EQ(*path, *DosPath::parse(QStringLiteral("C:\\A\\B")));

    EXPECT_TRUE(isDosDriveText(QStringLiteral("C:")));
    EXPECT_TRUE(isDosDriveText(QStringLiteral("a: [STICK]")));
    EXPECT_FALSE(isDosDriveText(QStringLiteral("C:\\")));
    EXPECT_FALSE(isDosDriveText(QStringLiteral("C")));
    EXPECT_EQ(dosDriveLetter(QStringLiteral("a: [STICK]")), QChar(u'A'));
    EXPECT_FALSE(dosDriveLetter(QStringLiteral("::")));
}

struct NameCase {
    QByteArray host;
    QString dos;
};

class DosNameMapping : public ::testing::TestWithParam<NameCase> {};

TEST_P(DosNameMapping, MapsBothWays) {
    const QString dos = hostNameToDos(GetParam().host);
    EXPECT_EQ(dos, GetParam().dos);
    EXPECT_EQ(dosNameToHost(dos), GetParam().host);
    // A mapped name never holds a character that would split or glob a path.
    for (QChar c : dos)
        EXPECT_FALSE(QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 0x20)
            << dos.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, DosNameMapping,
    ::testing::Values(NameCase{"ACCT.CVT", QStringLiteral("ACCT.CVT")},
                      NameCase{"a\\b", u16(u"a\uF05Cb")}, NameCase{"a:b", u16(u"a\uF03Ab")},
                      NameCase{"*?\"<>|", u16(u"\uF02A\uF03F\uF022\uF03C\uF03E\uF07C")},
                      NameCase{"tab\there\x01", u16(u"tab\uF009here\uF001")},
                      NameCase{"\xc3\x9c"
                               "ber \xe6\x97\xa5",
                               u16(u"\u00DCber \u65E5")},
                      NameCase{"\xf0\x9f\x98\x80:", u16(u"\U0001F600\uF03A")},
                      // Bytes that are not UTF-8 stand for themselves.
                      NameCase{"caf\xe9.HST", u16(u"caf\uF0E9.HST")},
                      NameCase{"\xff\xfe", u16(u"\uF0FF\uF0FE")},
                      NameCase{"\xc0\xaf", u16(u"\uF0C0\uF0AF")},             // overlong "/"
                      NameCase{"\xed\xa0\x80x", u16(u"\uF0ED\uF0A0\uF080x")}, // surrogate
                      NameCase{"\xe6\x97", u16(u"\uF0E6\uF097")},             // cut short
                      // A name that already holds a stand-in keeps it apart
                      // from the byte it stands for.
                      NameCase{"\xef\x80\xba", u16(u"\uF0EF\uF080\uF0BA")},
                      NameCase{"\xef\x83\xa9", u16(u"\uF0EF\uF083\uF0A9")},
                      NameCase{"\xef\x81\x81", u16(u"\uF041")}));

TEST(DosNames, NoDosNameMapsToAnEmbeddedNul) {
    EXPECT_FALSE(dosNameToHost(u16(u"a\uF000b")).contains('\0'));
}

} // namespace
} // namespace qel
