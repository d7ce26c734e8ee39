#include "platform/linux/ShortName.h"

#include "platform/DosWildcard.h"

#include <QSet>
#include <gtest/gtest.h>

namespace qel {
namespace {

struct ShortNameCase {
    const char* name;
    QStringList folder;
    const char* expected;
};

class ShortNameTest : public ::testing::TestWithParam<ShortNameCase> {};

TEST_P(ShortNameTest, GeneratesWindowsStyleNames) {
    const ShortNameCase& c = GetParam();
    EXPECT_EQ(generatedShortName(QString::fromUtf8(c.name), c.folder),
              QString::fromUtf8(c.expected))
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShortNameTest,
    ::testing::Values(
        // Names that already fit stay as they are written.
        ShortNameCase{"ACCT.CVT", {}, "ACCT.CVT"}, ShortNameCase{"acct.cvt", {}, "acct.cvt"},
        ShortNameCase{"README", {}, "README"}, ShortNameCase{"WINCORV.EXE", {}, "WINCORV.EXE"},
        ShortNameCase{"long file name.text", {}, "LONGFI~1.TEX"},
        ShortNameCase{"makefile.linux", {}, "MAKEFI~1.LIN"},
        ShortNameCase{"name with spaces", {}, "NAMEWI~1"},
        ShortNameCase{".profile", {}, "PROFIL~1"}, ShortNameCase{"a.b.c", {}, "AB~1.C"},
        ShortNameCase{"x+y=z.txt", {}, "X_Y_Z~1.TXT"},
        ShortNameCase{"\xc3\x84rger.txt", {}, "_RGER~1.TXT"},
        ShortNameCase{"trailing.", {}, "TRAILI~1"},
        // Counters: other generated names take theirs in sorted order, and
        // real 8.3 names in the folder are never handed out again.
        ShortNameCase{"long file name.text", {"long file name.tex1"}, "LONGFI~2.TEX"},
        ShortNameCase{"long file name.text", {"long file name.txt1"}, "LONGFI~1.TEX"},
        ShortNameCase{"long file name.text", {"LONGFI~1.TEX"}, "LONGFI~2.TEX"},
        ShortNameCase{"long file name.text", {"longfi~1.tex", "LONGFI~2.TEX"}, "LONGFI~3.TEX"},
        ShortNameCase{"long file name9.text",
                      {"long file name1.text", "long file name2.text", "long file name3.text",
                       "long file name4.text", "long file name5.text", "long file name6.text",
                       "long file name7.text", "long file name8.text", "long file name0.text"},
                      "LONGF~10.TEX"}));

TEST(ShortName, CountersAreUniqueAcrossAFolder) {
    QStringList folder;
    for (int i = 0; i < 30; ++i)
        folder << QStringLiteral("Quarterly report %1.xlsx").arg(i);
    folder << QStringLiteral("QUARTE~3.XLS");
    QSet<QString> seen;
    for (const QString& name : folder)
        seen.insert(generatedShortName(name, folder).toUpper());
    EXPECT_EQ(seen.size(), folder.size());
}

struct PatternCase {
    const char* pattern;
    const char* name;
    bool matches;
};

class DosPatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(DosPatternTest, MatchesWithoutRegardToCase) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(matchesDosPattern(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.matches)
        << c.pattern << " vs " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DosPatternTest,
    ::testing::Values(
        PatternCase{"*.HST", "ACCT1.HST", true}, PatternCase{"*.HST", "acct1.hst", true},
        PatternCase{"*.HST", "acct1.hst.bak", false}, PatternCase{"*.HST", "HST", false},
        PatternCase{"*.HST", ".HST", true}, PatternCase{"WINCORV.EXE", "wincorv.exe", true},
        PatternCase{"WINCORV.EXE", "wincorv.exe2", false}, PatternCase{"?.CVT", "a.cvt", true},
        PatternCase{"?.CVT", "ab.CVT", false}, PatternCase{"*a*b", "xxAxxB", true},
        PatternCase{"*a*b", "xxaxxbc", false}, PatternCase{"*.*", "noextension", true},
        PatternCase{"\xc3\xa4*.txt", "\xc3\x84RGER.TXT", true}, PatternCase{"*", "", true},
        PatternCase{"", "x", false}));

} // namespace
} // namespace qel
