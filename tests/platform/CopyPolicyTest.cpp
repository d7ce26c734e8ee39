// The copy rules both platforms' engines share, and the sentences they show.
#include "platform/CopyPolicy.h"

#include <gtest/gtest.h>

namespace qel::test {
namespace {

TEST(CopyPolicy, TemporaryNamesOfEitherFormAreKnownAsSuch) {
    const QByteArray shortName = tempFileName("ACCOUNT.CVT", true, 255);
    EXPECT_EQ(shortName.size(), 12); // 8.3
    EXPECT_TRUE(shortName.startsWith("~QEL") && shortName.endsWith(".TMP")) << shortName.data();
    EXPECT_TRUE(tempFileName("ACCOUNT.CVT", false, 255).endsWith("-ACCOUNT.CVT"));
    EXPECT_EQ(tempFileName(QByteArray(250, 'x'), false, 255).size(), 12); // no room for it

    for (const QByteArray& name : {shortName, tempFileName("A.CVT", false, 255)})
        EXPECT_TRUE(isTempName(QString::fromUtf8(name))) << name.data();
    EXPECT_TRUE(isTempName(QStringLiteral("~qelab12.tmp"))); // as a FAT driver may show it
    for (const char* name : {"ACCT.CVT", "~QELAB1.TMP", "~QELAB12.TMP.CVT", "x.~qel-abcdef"})
        EXPECT_FALSE(isTempName(QString::fromLatin1(name))) << name;
}

TEST(CopyPolicy, FatNames) {
    struct Case {
        const char* name;
        bool ascii;
        bool held;
    };
    for (const Case& c : {Case{"Account number 1.CVT", true, true}, Case{"a+b;c[d].CVT", true, true},
                          Case{"A:B.CVT", false, false}, Case{"A\tB.CVT", false, false},
                          Case{"A?.CVT", false, false}, Case{"TRAILING.", false, false},
                          Case{"\xc3\xa4.CVT", false, true}, Case{"\xc3\xa4.CVT", true, false}})
        EXPECT_EQ(fatHoldsName(QString::fromUtf8(c.name), c.ascii), c.held) << c.name;
    EXPECT_FALSE(fatHoldsName(QString(256, u'x'), false));
}

TEST(CopyPolicy, NamesDifferingOnlyInCaseCollideWhenBothAreFiles) {
    const std::vector<QString> names{"B.CVT", "a.cvt", "C.CVT", "A.CVT"};
    const auto pair = caseCollision(names, [](std::size_t) { return true; });
    ASSERT_TRUE(pair);
    EXPECT_EQ(names[pair->first].toUpper(), QStringLiteral("A.CVT"));
    EXPECT_NE(pair->first, pair->second);
    EXPECT_FALSE(caseCollision(names, [](std::size_t i) { return i != 3; }));
    EXPECT_EQ(caseCollisionError("C:\\X\\a.cvt", "C:\\X\\A.CVT", "A:\\X").description(),
              QStringLiteral("C:\\X\\a.cvt and C:\\X\\A.CVT differ only in case, and A:\\X does "
                             "not tell such names apart, so one copy would replace the other. "
                             "Rename one of them, then back up again."));
}

TEST(CopyPolicy, ASourceThatChangesIsCopiedOnceMoreThenNamed) {
    int attempts = 0;
    EXPECT_TRUE(copyHoldingStill("C:\\A.HST", [&] {
        if (++attempts == 1)
            throw SourceChanged{};
        return true;
    }));
    EXPECT_EQ(attempts, 2);
    try {
        copyHoldingStill("C:\\A.HST", []() -> bool { throw SourceChanged{}; });
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::PathFileAccessError);
        EXPECT_EQ(e.description(), QStringLiteral("C:\\A.HST changed while it was being copied. "
                                                  "Close the program that writes to it, then "
                                                  "back up again."));
    }
}

TEST(CopyPolicy, RoomAndTimes) {
    EXPECT_EQ(roomFor(1), 4096);
    EXPECT_EQ(missingRoom(5000, 4096), 4096);
    EXPECT_EQ(missingRoom(5000, 8192), 0);
    EXPECT_EQ(missingRoom(5000, -1), 0); // the disk does not say
    EXPECT_EQ(noRoomError("A:\\X\\B.CVD", 4096, true).description(),
              QStringLiteral("Disk full: A:\\X\\B.CVD needs 4 KB more to be replaced safely"));
    EXPECT_TRUE(sameTimeOnDisk(1'500, 2'000, 1'000)); // FAT's two-second steps
    EXPECT_FALSE(sameTimeOnDisk(1'500, 2'500, 1'000)); // a fraction FAT never keeps
    EXPECT_FALSE(sameTimeOnDisk(1'000, 4'000, 1'000));
}

} // namespace
} // namespace qel::test
