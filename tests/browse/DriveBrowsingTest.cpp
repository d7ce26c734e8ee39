#include "BrowseFixture.h"

#include <map>

namespace qel::test {
namespace {

const QString NotAvailable = QStringLiteral("Drive is not available.");

// Drives a:, C:, D:; the lists start in D:\WORK with two files and a panel
// that shows a file's facts.
struct DriveBrowsingTest : ::testing::Test {
    BrowseRig rig{{"a:", "C:", "D:"}, 2, "D:\\WORK"};

    void SetUp() override {
        rig.dir1.currentDirs = {{u'A', "A:\\"}, {u'C', "C:\\DATA"}, {u'D', "D:\\WORK"}};
        rig.file1.folders = {{"A:\\", {"ACCT.CVT"}},
                             {"C:\\DATA", {"X.HST", "Y.CVT"}},
                             {"D:\\WORK", {"W1.HST", "W2.CVD"}},
                             {"D:\\WORK\\SUB", {"S.XPT"}}};
        rig.file1.setPath("D:\\WORK");
        rig.file1.writes.clear();
        rig.panel.setText("Created: ...");
    }

    void expectLists(const QString& drive, const QString& dir) const {
        EXPECT_EQ(rig.drive1.Drive(), drive);
        EXPECT_EQ(rig.dir1.Path(), dir);
        EXPECT_EQ(rig.file1.Path(), dir);
    }
};

void expectDriveBox(const ShownBox& box) {
    EXPECT_EQ(box.text, NotAvailable);
    EXPECT_EQ(box.kind, BoxKind::DriveRetry);
    EXPECT_EQ(box.icon, Icon::Critical);
    EXPECT_EQ(box.defaultButton, DefaultButton::First);
    EXPECT_EQ(box.title, "QEL Trekkel");
}

void expectErrorBox(const ShownBox& box, const QString& text) {
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.kind, BoxKind::Error);
    EXPECT_EQ(box.icon, Icon::Exclamation);
    EXPECT_TRUE(box.title.isEmpty()) << "should carry the application title";
}

TEST_F(DriveBrowsingTest, ReadyDriveMovesDirectoryRefillsFilesAndEmptiesPanel) {
    rig.drive1.userSelects(1);

    expectLists("C:", "C:\\DATA");
    EXPECT_EQ(rig.file1.ListCount(), 2);
    EXPECT_EQ(rig.panel.Text(), "");
    EXPECT_EQ(rig.dir1.writes, QStringList{"C:"});
    EXPECT_TRUE(rig.dialogs.boxes().isEmpty());
    EXPECT_EQ(rig.fsoUses, 0);
}

TEST_F(DriveBrowsingTest, RetryRepeatsUntilTheDriveBecomesReady) {
    rig.dir1.failOnDrive[u'A'] = err::DeviceUnavailable;
    rig.dialogs.answer({Answer::Retry, Answer::Retry, Answer::Retry});
    auto guard = rig.dialogs.onBox;
    rig.dialogs.onBox = [&](const ShownBox& box) {
        guard(box);
        if (rig.dialogs.boxes().size() == 3) // the user inserts the disk
            rig.dir1.failOnDrive.remove(u'A');
    };

    rig.drive1.userSelects(0);

    ASSERT_EQ(rig.dialogs.boxes().size(), 3);
    for (const auto& box : rig.dialogs.boxes())
        expectDriveBox(box);
    expectLists("a:", "A:\\");
    EXPECT_EQ(rig.file1.List(0), "ACCT.CVT");
    EXPECT_EQ(rig.panel.Text(), "");
    EXPECT_EQ(rig.dir1.writes.size(), 4);
}

TEST_F(DriveBrowsingTest, CancelFallsBackToTheSecondEntry) {
    rig.dir1.failOnDrive[u'A'] = err::DeviceUnavailable;
    rig.dialogs.answer({Answer::Cancel});

    rig.drive1.userSelects(0);

    ASSERT_EQ(rig.dialogs.boxes().size(), 1);
    expectDriveBox(rig.dialogs.boxes()[0]);
    expectLists("C:", "C:\\DATA");
    EXPECT_EQ(rig.panel.Text(), "");
    EXPECT_EQ(rig.dir1.writes, (QStringList{"a:", "C:"}));
}

// The fallback cannot always move somewhere useful; each way it fails must
// end after a bounded number of boxes and leave the lists usable.
struct FallbackCase {
    const char* name;
    QStringList entries;
    int selected;
    int picked;
    std::map<char16_t, int> dirFails; // drive letter -> error of Dir1's write
    QSet<QChar> listRefuses;          // letters the drive list itself refuses
    std::vector<Answer> answers;
    QStringList boxTexts;
    QString driveAfter;
    QString dirAfter;
};

void PrintTo(const FallbackCase& c, std::ostream* os) {
    *os << c.name;
}

struct FallbackTest : ::testing::TestWithParam<FallbackCase> {};

TEST_P(FallbackTest, EndsWithoutEndlessRetries) {
    const FallbackCase& c = GetParam();
    BrowseRig rig(c.entries, c.selected, "D:\\WORK");
    rig.dir1.currentDirs = {{u'C', "C:\\DATA"}, {u'D', "D:\\WORK"}};
    rig.file1.folders = {{"C:\\DATA", {"X.HST"}}, {"D:\\WORK", {"W1.HST"}}};
    rig.file1.setPath("D:\\WORK");
    rig.panel.setText("facts");
    for (const auto& [letter, number] : c.dirFails)
        rig.dir1.failOnDrive[QChar(letter)] = number;
    rig.drive1.notReady = c.listRefuses;
    for (Answer a : c.answers)
        rig.dialogs.answerNext(a);

    ASSERT_NO_THROW(rig.drive1.userSelects(c.picked));

    EXPECT_EQ(rig.dialogs.texts(), c.boxTexts);
    for (const auto& box : rig.dialogs.boxes())
        if (box.text == NotAvailable)
            expectDriveBox(box);
        else
            expectErrorBox(box, box.text);
    EXPECT_EQ(rig.drive1.Drive(), c.driveAfter);
    EXPECT_EQ(rig.dir1.Path(), c.dirAfter);
    EXPECT_EQ(rig.file1.Path(), c.dirAfter);
    if (c.dirAfter == "D:\\WORK")
        EXPECT_EQ(rig.panel.Text(), "facts");
    else
        EXPECT_EQ(rig.panel.Text(), "");
}

const QString Na = NotAvailable;

// clang-format off
// name, drive entries, selected, picked, Dir1 failures, drive list refusals,
// answers, boxes shown, Drive1 and Dir1 afterwards
INSTANTIATE_TEST_SUITE_P(
    OpenCases, FallbackTest,
    ::testing::Values(
        FallbackCase{"FailedDriveIsTheSecondEntry", {"a:", "b:", "D:"}, 2, 1,
                     {{u'B', 68}}, {QChar(u'B')},
                     {Answer::Cancel}, {Na}, "b:", "D:\\WORK"},
        FallbackCase{"SecondDriveFailsInTheDirectoryList", {"a:", "C:", "D:"}, 2, 0,
                     {{u'A', 68}, {u'C', 68}}, {},
                     {Answer::Cancel, Answer::Cancel}, {Na, Na}, "C:", "D:\\WORK"},
        FallbackCase{"SecondDriveRetriedThenGivenUp", {"a:", "C:", "D:"}, 2, 0,
                     {{u'A', 68}, {u'C', 68}}, {},
                     {Answer::Cancel, Answer::Retry, Answer::Retry, Answer::Cancel},
                     {Na, Na, Na, Na}, "C:", "D:\\WORK"},
        FallbackCase{"SecondDriveRefusedByTheDriveList", {"a:", "C:", "D:"}, 2, 0,
                     {{u'A', 68}}, {QChar(u'C')},
                     {Answer::Cancel, Answer::Retry, Answer::Cancel}, {Na, Na, Na}, "a:",
                     "D:\\WORK"},
        FallbackCase{"SecondDriveFailsWithAnotherError", {"a:", "C:", "D:"}, 2, 0,
                     {{u'A', 68}, {u'C', 71}}, {},
                     {Answer::Cancel, Answer::OK}, {Na, "Disk not ready"}, "C:", "D:\\WORK"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Picking the only entry again does not move the selection: nothing happens.
TEST(FallbackSingleDrive, NotAvailableWithNoOtherDriveEndsAfterOneBox) {
    BrowseRig rig({"a:"}, 0, "A:\\OLD");
    rig.dir1.failOnDrive[u'A'] = err::DeviceUnavailable;
    rig.dialogs.answer({Answer::Cancel});

    ASSERT_NO_THROW(rig.browser.Drive1_Change());

    EXPECT_EQ(rig.dialogs.texts(), QStringList{NotAvailable});
    EXPECT_EQ(rig.drive1.writes, 0);
    EXPECT_EQ(rig.dir1.Path(), "A:\\OLD");
}

TEST(DriveBrowsing, OtherErrorsAreShownAndLeaveTheDriveOutOfStep) {
    for (int number :
         {err::PathNotFound, err::PermissionDenied, err::DiskNotReady, err::DeviceIOError}) {
        SCOPED_TRACE(number);
        BrowseRig rig({"a:", "C:", "D:"}, 2, "D:\\WORK");
        rig.file1.folders = {{"D:\\WORK", {"W1.HST", "W2.CVD"}}};
        rig.file1.setPath("D:\\WORK");
        rig.file1.userClicks(1);
        rig.panel.setText("facts of W2.CVD");
        rig.dir1.failOnDrive[u'C'] = number;
        rig.dialogs.answer({Answer::OK});

        rig.drive1.userSelects(1);

        ASSERT_EQ(rig.dialogs.boxes().size(), 1);
        expectErrorBox(rig.dialogs.boxes()[0], classicDescription(number));
        EXPECT_EQ(rig.drive1.Drive(), "C:");
        EXPECT_EQ(rig.dir1.Path(), "D:\\WORK");
        EXPECT_EQ(rig.file1.Path(), "D:\\WORK");
        EXPECT_EQ(rig.file1.ListCount(), 2);
        EXPECT_EQ(rig.file1.ListIndex(), 1);
        EXPECT_EQ(rig.panel.Text(), "facts of W2.CVD");
        EXPECT_EQ(rig.dir1.writes.size(), 1) << "no retry is offered";
    }
}

TEST_F(DriveBrowsingTest, OpeningAFolderRefillsFilesAndEmptiesThePanel) {
    rig.dir1.userOpens("D:\\WORK\\SUB");

    EXPECT_EQ(rig.file1.Path(), "D:\\WORK\\SUB");
    EXPECT_EQ(rig.file1.List(0), "S.XPT");
    EXPECT_EQ(rig.panel.Text(), "");

    // Again after a drive change, with a file's facts shown meanwhile.
    rig.drive1.userSelects(1);
    rig.panel.setText("facts of X.HST");
    rig.dir1.userOpens("C:\\DATA\\..");
    EXPECT_EQ(rig.file1.Path(), "C:\\DATA\\..");
    EXPECT_EQ(rig.panel.Text(), "");
    EXPECT_TRUE(rig.dialogs.boxes().isEmpty());
}

TEST_F(DriveBrowsingTest, FailedRefillIsShownAndLeavesListsUsable) {
    rig.file1.failOnPath["D:\\WORK\\SUB"] = err::PathNotFound;
    rig.dialogs.answer({Answer::OK});

    rig.dir1.userOpens("D:\\WORK\\SUB");

    ASSERT_EQ(rig.dialogs.boxes().size(), 1);
    expectErrorBox(rig.dialogs.boxes()[0], "Path not found");
    EXPECT_EQ(rig.panel.Text(), "");
    EXPECT_EQ(rig.file1.ListCount(), 0);

    rig.dir1.userOpens("D:\\WORK");
    EXPECT_EQ(rig.file1.ListCount(), 2);
    EXPECT_EQ(rig.dialogs.boxes().size(), 1);
}

// A refill that fails because the drive went away during a drive change is
// the refill's failure, not the drive's: no Retry/Cancel box, no fallback.
TEST_F(DriveBrowsingTest, FailedRefillDuringADriveChangeIsNotTakenForTheDrive) {
    rig.file1.failOnPath["C:\\DATA"] = err::DeviceUnavailable;
    rig.dialogs.answer({Answer::OK});

    rig.drive1.userSelects(1);

    ASSERT_EQ(rig.dialogs.boxes().size(), 1);
    expectErrorBox(rig.dialogs.boxes()[0], "Device unavailable");
    EXPECT_EQ(rig.drive1.Drive(), "C:");
    EXPECT_EQ(rig.dir1.Path(), "C:\\DATA");
    EXPECT_EQ(rig.file1.ListCount(), 0);
    EXPECT_EQ(rig.panel.Text(), "");
}

TEST_F(DriveBrowsingTest, FailedFolderOpenIsShownWithItsDescription) {
    rig.dialogs.answer({Answer::OK});

    rig.browser.Dir1_OpenFailed(err::PermissionDenied, "Permission denied");

    ASSERT_EQ(rig.dialogs.boxes().size(), 1);
    expectErrorBox(rig.dialogs.boxes()[0], "Permission denied");
    expectLists("D:", "D:\\WORK");
}

} // namespace
} // namespace qel::test
