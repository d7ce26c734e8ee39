#include "backup/BackupRun.h"

#include "FakeControls.h"
#include "FakeDialogs.h"
#include "FakeFileSystemObject.h"
#include "FakeProgressWindow.h"
#include "platform/AppObject.h"
#include "platform/Error.h"

#include <gtest/gtest.h>
#include <ostream>

// Readable failure output for texts and lists of texts.
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qel::test {
namespace {

using Qt::StringLiterals::operator""_s;

const QStringList DataFiles{u"ACCT.HST"_s, u"ACCT.CVD"_s, u"ACCT.CVT"_s, u"ACCT.XPT"_s,
                            u"WINCORV.EXE"_s};

class BackupRunTest : public ::testing::Test {
protected:
    BackupRunTest() {
        fs.addFolder(u"a:\\"_s);
        fs.addFolder(u"C:\\"_s);
    }

    // Puts files into a source folder and shows that folder in Dir1 and File1.
    void source(const QString& folder, const QStringList& names) {
        for (const QString& n : names)
            fs.addFile(folder + (folder.endsWith(u'\\') ? u""_s : u"\\"_s) + n, n.toUtf8());
        fs.addFolder(folder);
        dir1.userOpens(folder);
        file1.setEntries(names);
    }

    // The text of every message box, with its kind and look, for exact comparison.
    QStringList shownBoxes() const {
        QStringList out;
        for (const ShownBox& b : dialogs.boxes())
            out << u"%1|%2|%3|%4|%5"_s.arg(b.text)
                       .arg(int(b.kind))
                       .arg(int(b.icon))
                       .arg(int(b.defaultButton))
                       .arg(b.title);
        return out;
    }

    static QString confirmBox(const QString& drive) {
        return u"Backing up to drive %1. Is this right?|%2|%3|%4|"_s.arg(drive)
            .arg(int(BoxKind::Confirmation))
            .arg(int(Icon::Question))
            .arg(int(DefaultButton::Second));
    }
    static QString completeBox() {
        return u"Backup Complete|%1|%2|%3|QEL Trekkel"_s.arg(int(BoxKind::Notice))
            .arg(int(Icon::None))
            .arg(int(DefaultButton::First));
    }
    static QString notFoundBox(const QString& source) {
        return u"File %1is not found. The file will not be backed up.|%2|%3|%4|QEL Trekkel"_s
            .arg(source)
            .arg(int(BoxKind::FileNotFound))
            .arg(int(Icon::Critical))
            .arg(int(DefaultButton::First));
    }
    static QString insertDiskBox(const QString& letter) {
        return u"Please insert a disk in drive %1.|%2|%3|%4|QEL Trekkel"_s.arg(letter)
            .arg(int(BoxKind::DiskRequest))
            .arg(int(Icon::Critical))
            .arg(int(DefaultButton::First));
    }

    FakeFileList file1;
    FakeDirList dir1{u"C:\\"_s};
    FakeDriveList drive2{{u"a:"_s, u"C:"_s}};
    FakeProgressWindow window;
    FakeDialogs dialogs;
    AppObject app{u"C:\\QEL"_s, 1, 0, 0};
    FakeFileSystemObject fs;
    BackupRun run{
        file1, dir1, drive2, window, dialogs, app, [this]() -> FileSystemObject& { return fs; }};
};

// --- the validity scan and the confirmation ---------------------------------

struct ScanCase {
    const char* name;
    QStringList entries;
    bool accepted;
};

class ValidityScan : public BackupRunTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ValidityScan, RejectsOrAsksAndLeavesEverythingUntouchedWhenDeclined) {
    source(u"C:\\DATA\\ACCT1"_s, GetParam().entries);
    if (GetParam().accepted)
        dialogs.answer({Answer::No});
    else
        dialogs.answer({Answer::OK});

    run.cmd_BackupDefault_Click();

    const QString rejected =
        u"There are no valid Corvane QEL files to backup. Please choose another directory|%1|%2|%3|"_s
            .arg(int(BoxKind::Notice))
            .arg(int(Icon::None))
            .arg(int(DefaultButton::First));
    EXPECT_EQ(shownBoxes(), QStringList{GetParam().accepted ? confirmBox(u"a:"_s) : rejected});
    EXPECT_TRUE(window.log.isEmpty()) << window.log.join(u'\n').toStdString();
    EXPECT_TRUE(fs.calls().isEmpty());
    EXPECT_FALSE(fs.hasFolder(u"a:\\ACCT1"_s));
    EXPECT_EQ(dialogs.yields(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ValidityScan,
    ::testing::Values(
        ScanCase{"Empty", {}, false},
        ScanCase{"DataWithoutMarker", {u"ACCT.HST"_s, u"ACCT.CVD"_s, u"ACCT.XPT"_s}, false},
        ScanCase{"LowerCase", {u"acct.cvt"_s}, false},
        ScanCase{"MixedCase", {u"ACCT.Cvt"_s, u"CVT"_s}, false},
        ScanCase{"SingleMarkerFile", {u"ACCT.CVT"_s}, true},
        ScanCase{"MarkerInsideName", {u"A.CVT.OLD"_s}, true},
        ScanCase{"MarkerLastInList", {u"README.TXT"_s, u"X.HST"_s, u"ACCT.CVT"_s}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// --- a completed run -----------------------------------------------------------

TEST_F(BackupRunTest, CompletedRunWritesEachStepAndCopiesIntoFolderAndRoot) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    dialogs.answer({Answer::Yes, Answer::OK});
    // What the window shows at each yield, and how many copies have run by then.
    QStringList atYields;
    for (int i = 0; i < 5; ++i)
        dialogs.atYield([&] {
            atYields << u"%1 / %2 / %3 / %4"_s.arg(window.sourceLine(), window.destinationLine())
                            .arg(window.progress())
                            .arg(fs.calls(u"CopyFile"_s).size());
        });

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(shownBoxes(), (QStringList{confirmBox(u"a:"_s), completeBox()}));
    const QString src = u"From:  C:\\DATA\\ACCT1\\"_s;
    EXPECT_EQ(window.log, (QStringList{
                              u"show"_s,
                              u"Open:C:\\FILECOPY.AVI"_s,
                              u"Play"_s,
                              u"source:"_s + src + u"*.HST"_s,
                              u"dest:  To:  a:\\ACCT1\\"_s,
                              u"progress:20"_s,
                              u"source:"_s + src + u"*.CVD"_s,
                              u"progress:40"_s,
                              u"source:"_s + src + u"*.CVT"_s,
                              u"progress:60"_s,
                              u"source:"_s + src + u"*.XPT"_s,
                              u"progress:80"_s,
                              u"source:"_s + src + u"WINCORV.EXE"_s,
                              u"dest:  To:  a:\\"_s,
                              u"progress:100"_s,
                              u"Stop"_s,
                              u"Close"_s,
                              u"unload"_s,
                          }));
    EXPECT_EQ(atYields, (QStringList{
                            src + u"*.HST /   To:  a:\\ACCT1\\ / 0 / 0"_s,
                            src + u"*.CVD /   To:  a:\\ACCT1\\ / 20 / 1"_s,
                            src + u"*.CVT /   To:  a:\\ACCT1\\ / 40 / 2"_s,
                            src + u"*.XPT /   To:  a:\\ACCT1\\ / 60 / 3"_s,
                            src + u"WINCORV.EXE /   To:  a:\\ / 80 / 4"_s,
                        }));
    EXPECT_EQ(fs.calls(u"FolderExists"_s), QStringList{u"a:\\ACCT1"_s});
    EXPECT_EQ(fs.calls(u"CreateFolder"_s), QStringList{u"a:\\ACCT1"_s});
    EXPECT_EQ(fs.calls(u"CopyFile"_s), (QStringList{
                                           u"C:\\DATA\\ACCT1\\*.HST>a:\\ACCT1\\"_s,
                                           u"C:\\DATA\\ACCT1\\*.CVD>a:\\ACCT1\\"_s,
                                           u"C:\\DATA\\ACCT1\\*.CVT>a:\\ACCT1\\"_s,
                                           u"C:\\DATA\\ACCT1\\*.XPT>a:\\ACCT1\\"_s,
                                           u"C:\\DATA\\ACCT1\\WINCORV.EXE>a:\\"_s,
                                       }));
    EXPECT_EQ(dialogs.backgroundRuns(), 5);
    EXPECT_EQ(fs.fileNames(u"a:\\ACCT1"_s),
              (QStringList{u"ACCT.CVD"_s, u"ACCT.CVT"_s, u"ACCT.HST"_s, u"ACCT.XPT"_s}));
    EXPECT_TRUE(fs.hasFile(u"a:\\WINCORV.EXE"_s));
}

TEST_F(BackupRunTest, ExistingFolderIsUsedAndOlderCopiesReplaced) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    fs.addFile(u"a:\\ACCT1\\ACCT.HST"_s, "old");
    fs.addFile(u"a:\\ACCT1\\KEEP.TXT"_s, "mine");
    dialogs.answer({Answer::Yes, Answer::OK});

    run.cmd_BackupDefault_Click();

    EXPECT_TRUE(fs.calls(u"CreateFolder"_s).isEmpty());
    EXPECT_EQ(fs.content(u"a:\\ACCT1\\ACCT.HST"_s), "ACCT.HST");
    EXPECT_EQ(fs.content(u"a:\\ACCT1\\KEEP.TXT"_s), "mine");
    EXPECT_EQ(dialogs.texts().last(), u"Backup Complete"_s);
}

TEST_F(BackupRunTest, MissingClipIsReportedOnceAndTheRunStillCompletes) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    window.fakeAnimation().failOpen = err::FileNotFound;
    dialogs.answer({Answer::Yes, Answer::OK, Answer::OK});

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(dialogs.texts(),
              (QStringList{u"Backing up to drive a:. Is this right?"_s,
                           u"Trouble playing the AVI file."_s, u"Backup Complete"_s}));
    EXPECT_EQ(window.entries(u"Play"_s).size(), 0);
    EXPECT_EQ(window.log.mid(window.log.size() - 3),
              (QStringList{u"Stop"_s, u"Close"_s, u"unload"_s}));
    EXPECT_EQ(fs.calls(u"CopyFile"_s).size(), 5);
}

// --- error 53: a step whose source matches nothing --------------------------------

struct NotFoundCase {
    const char* name;
    QString missing;
    QString failedSource;
    Answer answer;
    QStringList progress;
};

class NotFound : public BackupRunTest, public ::testing::WithParamInterface<NotFoundCase> {};

TEST_P(NotFound, OkGoesOnWithTheNextActionAndCancelBreaksOff) {
    const NotFoundCase& c = GetParam();
    QStringList files = DataFiles;
    files.removeAll(c.missing);
    source(u"C:\\DATA\\ACCT1"_s, files);
    dialogs.answer({Answer::Yes, c.answer, Answer::OK});

    run.cmd_BackupDefault_Click();

    QStringList expectedBoxes{confirmBox(u"a:"_s), notFoundBox(c.failedSource)};
    if (c.answer == Answer::OK)
        expectedBoxes << completeBox();
    EXPECT_EQ(shownBoxes(), expectedBoxes);
    EXPECT_EQ(window.entries(u"progress:"_s), c.progress);
    EXPECT_EQ(window.log.mid(window.log.size() - 3),
              (QStringList{u"Stop"_s, u"Close"_s, u"unload"_s}));
    EXPECT_EQ(window.log.count(u"unload"_s), 1);
    EXPECT_FALSE(window.isShown());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, NotFound,
    ::testing::Values(
        NotFoundCase{"Step1Ok",
                     u"ACCT.HST"_s,
                     u"C:\\DATA\\ACCT1\\*.HST"_s,
                     Answer::OK,
                     {u"20"_s, u"40"_s, u"60"_s, u"80"_s, u"100"_s}},
        NotFoundCase{"Step1Cancel", u"ACCT.HST"_s, u"C:\\DATA\\ACCT1\\*.HST"_s, Answer::Cancel, {}},
        NotFoundCase{"Step5Ok",
                     u"WINCORV.EXE"_s,
                     u"C:\\DATA\\ACCT1\\WINCORV.EXE"_s,
                     Answer::OK,
                     {u"20"_s, u"40"_s, u"60"_s, u"80"_s, u"100"_s}},
        NotFoundCase{"Step5Cancel",
                     u"WINCORV.EXE"_s,
                     u"C:\\DATA\\ACCT1\\WINCORV.EXE"_s,
                     Answer::Cancel,
                     {u"20"_s, u"40"_s, u"60"_s, u"80"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- error 70: the destination refuses writing ---------------------------------

TEST_F(BackupRunTest, WriteProtectedDiskAsksForADiskAndRestartsAfterItIsInserted) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    fs.writeProtected = {u"a:"_s};
    dialogs.answer({Answer::Yes, Answer::OK, Answer::OK});
    dialogs.onBox = [&](const ShownBox& b) {
        if (b.text.startsWith(u"Please insert"_s))
            fs.writeProtected.clear();
    };

    run.cmd_BackupDefault_Click();

    // Creating the folder is refused first; the retry starts again at the restart point.
    EXPECT_EQ(shownBoxes(),
              (QStringList{confirmBox(u"a:"_s), insertDiskBox(u"a"_s), completeBox()}));
    EXPECT_EQ(fs.calls(u"FolderExists"_s), (QStringList{u"a:\\ACCT1"_s, u"a:\\ACCT1"_s}));
    EXPECT_EQ(fs.calls(u"CreateFolder"_s), (QStringList{u"a:\\ACCT1"_s, u"a:\\ACCT1"_s}));
    EXPECT_EQ(fs.calls(u"CopyFile"_s).size(), 5);
    EXPECT_EQ(fs.fileNames(u"a:\\ACCT1"_s).size(), 4);
}

// A drive without a medium (71) gets the same request and retry: at the
// folder, or when the stick is pulled out between two steps.
TEST_F(BackupRunTest, NoMediumAsksForADiskAndCompletesOnceItIsInserted) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    fs.failNext(u"CreateFolder"_s, u"a:"_s, err::DiskNotReady);
    fs.failNext(u"CopyFile"_s, u"*.CVD"_s, err::DiskNotReady);
    dialogs.answer({Answer::Yes, Answer::OK, Answer::OK, Answer::OK});

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(shownBoxes(), (QStringList{confirmBox(u"a:"_s), insertDiskBox(u"a"_s),
                                         insertDiskBox(u"a"_s), completeBox()}));
    EXPECT_EQ(fs.calls(u"CreateFolder"_s).size(), 2);
    EXPECT_EQ(fs.fileNames(u"a:\\ACCT1"_s).size(), 4);
    // The medium is taken at Yes and at each OK, before anything is looked at or written.
    EXPECT_EQ(fs.calls(u"beginRun"_s), (QStringList{u"a:"_s, u"a:"_s, u"a:"_s}));
    EXPECT_EQ(fs.calls().first().operation, u"beginRun"_s);
}

TEST_F(BackupRunTest, RefusedCopyRestartsAllFiveStepsWithoutRestartingTheWindow) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    fs.failNext(u"CopyFile"_s, u"*.CVT"_s, err::PermissionDenied);
    dialogs.answer({Answer::Yes, Answer::OK, Answer::OK});

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(shownBoxes(),
              (QStringList{confirmBox(u"a:"_s), insertDiskBox(u"a"_s), completeBox()}));
    const QString from = u"C:\\DATA\\ACCT1\\"_s;
    EXPECT_EQ(fs.calls(u"CopyFile"_s),
              (QStringList{from + u"*.HST>a:\\ACCT1\\"_s, from + u"*.CVD>a:\\ACCT1\\"_s,
                           from + u"*.CVT>a:\\ACCT1\\"_s, from + u"*.HST>a:\\ACCT1\\"_s,
                           from + u"*.CVD>a:\\ACCT1\\"_s, from + u"*.CVT>a:\\ACCT1\\"_s,
                           from + u"*.XPT>a:\\ACCT1\\"_s, from + u"WINCORV.EXE>a:\\"_s}));
    EXPECT_EQ(window.entries(u"progress:"_s),
              (QStringList{u"20"_s, u"40"_s, u"20"_s, u"40"_s, u"60"_s, u"80"_s, u"100"_s}));
    EXPECT_EQ(window.log.count(u"show"_s), 1);
    EXPECT_EQ(window.log.count(u"Play"_s), 1);
    EXPECT_EQ(fs.calls(u"FolderExists"_s).size(), 2);
    EXPECT_EQ(dialogs.yields(), 8);
}

TEST_F(BackupRunTest, RefusedRootCopyNamesTheDriveAndCancelBreaksOff) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    fs.failNext(u"CopyFile"_s, u"WINCORV"_s, err::PermissionDenied);
    dialogs.answer({Answer::Yes, Answer::Cancel});

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(shownBoxes(), (QStringList{confirmBox(u"a:"_s), insertDiskBox(u"a"_s)}));
    EXPECT_EQ(window.entries(u"progress:"_s).last(), u"80"_s);
    EXPECT_EQ(window.log.mid(window.log.size() - 4),
              (QStringList{u"dest:  To:  a:\\"_s, u"Stop"_s, u"Close"_s, u"unload"_s}));
}

// --- any other error ---------------------------------------------------------------

struct OtherErrorCase {
    const char* name;
    QString operation;
    QString match;
    int number;
    int copiesTried;
};

class OtherError : public BackupRunTest, public ::testing::WithParamInterface<OtherErrorCase> {};

TEST_P(OtherError, ShowsTheDescriptionAndBreaksOff) {
    const OtherErrorCase& c = GetParam();
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    fs.failNext(c.operation, c.match, c.number);
    dialogs.answer({Answer::Yes, Answer::OK});

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(shownBoxes(),
              (QStringList{confirmBox(u"a:"_s), u"%1|%2|%3|%4|"_s.arg(classicDescription(c.number))
                                                    .arg(int(BoxKind::Error))
                                                    .arg(int(Icon::Exclamation))
                                                    .arg(int(DefaultButton::First))}));
    EXPECT_EQ(fs.calls(u"CopyFile"_s).size(), c.copiesTried);
    EXPECT_EQ(window.log.mid(window.log.size() - 3),
              (QStringList{u"Stop"_s, u"Close"_s, u"unload"_s}));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, OtherError,
    ::testing::Values(
        OtherErrorCase{"DiskFullInStep2", u"CopyFile"_s, u"*.CVD"_s, err::DiskFull, 2},
        OtherErrorCase{"IOErrorInStep5", u"CopyFile"_s, u"WINCORV"_s, err::DeviceIOError, 5},
        OtherErrorCase{"FileWhereFolderShouldBe", u"CreateFolder"_s, u"ACCT1"_s,
                       err::FileAlreadyExists, 0},
        OtherErrorCase{"DriveGone", u"FolderExists"_s, u"a:"_s, err::DeviceUnavailable, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// --- paths --------------------------------------------------------------------------

TEST_F(BackupRunTest, DriveRootSourceKeepsTheDoubledSeparators) {
    source(u"C:\\"_s, DataFiles);
    dialogs.answer({Answer::Yes, Answer::OK});

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(fs.calls(u"FolderExists"_s), QStringList{u"a:\\"_s});
    EXPECT_TRUE(fs.calls(u"CreateFolder"_s).isEmpty());
    EXPECT_EQ(fs.calls(u"CopyFile"_s).first(), u"C:\\\\*.HST>a:\\\\"_s);
    EXPECT_EQ(fs.calls(u"CopyFile"_s).last(), u"C:\\\\WINCORV.EXE>a:\\"_s);
    EXPECT_EQ(window.entries(u"source:"_s).first(), u"From:  C:\\\\*.HST"_s);
    EXPECT_EQ(window.entries(u"dest:"_s), (QStringList{u"  To:  a:\\\\"_s, u"  To:  a:\\"_s}));
    EXPECT_TRUE(fs.hasFile(u"a:\\ACCT.CVT"_s));
}

TEST_F(BackupRunTest, SourcesWithTheSameLastNameShareOneDestinationFolder) {
    source(u"C:\\X\\DATA"_s, {u"ONE.CVT"_s, u"WINCORV.EXE"_s});
    dialogs.answer({Answer::Yes, Answer::OK, Answer::OK, Answer::OK, Answer::OK});
    run.cmd_BackupDefault_Click();

    fs.addFolder(u"D:\\"_s);
    source(u"D:\\Y\\DATA"_s, {u"TWO.CVT"_s});
    dialogs.answer({Answer::Yes, Answer::OK, Answer::OK, Answer::OK, Answer::OK, Answer::OK});
    run.cmd_BackupDefault_Click();

    EXPECT_EQ(fs.calls(u"CreateFolder"_s), QStringList{u"a:\\DATA"_s});
    EXPECT_EQ(fs.fileNames(u"a:\\DATA"_s), (QStringList{u"ONE.CVT"_s, u"TWO.CVT"_s}));
}

TEST_F(BackupRunTest, LabelledDriveTextIsAskedAsShownButPathsUseTheLetterAndColon) {
    FakeDriveList labelled{{u"a: [STICK]"_s, u"C:"_s}};
    BackupRun labelledRun{
        file1, dir1, labelled, window, dialogs, app, [this]() -> FileSystemObject& { return fs; }};
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    fs.failNext(u"CopyFile"_s, u"WINCORV"_s, err::PermissionDenied);
    dialogs.answer({Answer::Yes, Answer::Cancel});

    labelledRun.cmd_BackupDefault_Click();

    EXPECT_EQ(shownBoxes(), (QStringList{confirmBox(u"a: [STICK]"_s), insertDiskBox(u"a"_s)}));
    EXPECT_EQ(fs.calls(u"CreateFolder"_s), QStringList{u"a:\\ACCT1"_s});
    EXPECT_EQ(fs.calls(u"CopyFile"_s).first(), u"C:\\DATA\\ACCT1\\*.HST>a:\\ACCT1\\"_s);
    EXPECT_EQ(fs.calls(u"CopyFile"_s).last(), u"C:\\DATA\\ACCT1\\WINCORV.EXE>a:\\"_s);
    EXPECT_EQ(window.entries(u"dest:"_s), (QStringList{u"  To:  a:\\ACCT1\\"_s, u"  To:  a:\\"_s}));
}

// --- what the user does during a yield ------------------------------------------------

TEST_F(BackupRunTest, ChangesDuringAYieldApplyToTheFollowingSteps) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    fs.addFile(u"C:\\OTHER\\ACCT2\\B.XPT"_s);
    fs.addFile(u"C:\\OTHER\\ACCT2\\B.CVT"_s);
    fs.addFile(u"C:\\OTHER\\ACCT2\\WINCORV.EXE"_s);
    dialogs.answer({Answer::Yes, Answer::OK});
    dialogs.atYield([] {});
    dialogs.atYield([&] {
        dir1.userOpens(u"C:\\OTHER\\ACCT2"_s);
        drive2.userSelects(1);
    });

    run.cmd_BackupDefault_Click();

    // Step 2 had its source before the yield; the folder was fixed at the restart point.
    EXPECT_EQ(fs.calls(u"CopyFile"_s), (QStringList{
                                           u"C:\\DATA\\ACCT1\\*.HST>a:\\ACCT1\\"_s,
                                           u"C:\\DATA\\ACCT1\\*.CVD>a:\\ACCT1\\"_s,
                                           u"C:\\OTHER\\ACCT2\\*.CVT>a:\\ACCT1\\"_s,
                                           u"C:\\OTHER\\ACCT2\\*.XPT>a:\\ACCT1\\"_s,
                                           u"C:\\OTHER\\ACCT2\\WINCORV.EXE>C:\\"_s,
                                       }));
    EXPECT_EQ(window.entries(u"dest:"_s).last(), u"  To:  C:\\"_s);
    EXPECT_EQ(dialogs.texts().last(), u"Backup Complete"_s);
}

TEST_F(BackupRunTest, ConfirmedExitDuringAYieldEndsTheRunOnTheSpot) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    dialogs.answer({Answer::Yes});
    dialogs.atYield([] {});
    dialogs.atYield([&] { app.markEnded(); });

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(dialogs.boxes().size(), 1);
    EXPECT_EQ(dialogs.yields(), 2);
    EXPECT_EQ(fs.calls(u"CopyFile"_s).size(), 1);
    EXPECT_TRUE(fs.hasFile(u"a:\\ACCT1\\ACCT.HST"_s));
    EXPECT_EQ(window.log.last(), u"source:From:  C:\\DATA\\ACCT1\\*.CVD"_s);
}

TEST_F(BackupRunTest, SecondClickDuringAYieldRunsInsideAndTheFirstRunStillFinishes) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    dialogs.answer({Answer::Yes, Answer::Yes, Answer::OK, Answer::OK});
    dialogs.atYield([] {});
    dialogs.atYield([&] { run.cmd_BackupDefault_Click(); });
    // The window as each copy starts: shown, lines, bar and clip.
    QStringList atCopies;
    fs.onCall = [&](const FakeFileSystemObject::Call& c) {
        if (c.operation == u"CopyFile"_s)
            atCopies << u"%1 %2 |%3| %4 %5"_s.arg(window.isShown())
                            .arg(window.sourceLine(), window.destinationLine())
                            .arg(window.progress())
                            .arg(window.fakeAnimation().isPlaying());
    };

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(dialogs.texts(), (QStringList{u"Backing up to drive a:. Is this right?"_s,
                                            u"Backing up to drive a:. Is this right?"_s,
                                            u"Backup Complete"_s, u"Backup Complete"_s}));
    EXPECT_EQ(fs.calls(u"CopyFile"_s).size(), 10);
    const QString from = u"From:  C:\\DATA\\ACCT1\\"_s;
    ASSERT_EQ(atCopies.size(), 10);
    // The inner run's first copy (in the same window, whose bar the outer run
    // had set), then the outer run's second, after the inner run unloaded the
    // window: the outer run has put its window back as it was.
    EXPECT_EQ(atCopies[1], u"1 "_s + from + u"*.HST |  To:  a:\\ACCT1\\| 20 1"_s);
    EXPECT_EQ(atCopies[6], u"1 "_s + from + u"*.CVD |  To:  a:\\ACCT1\\| 20 1"_s);
    EXPECT_EQ(atCopies[9], u"1 "_s + from + u"WINCORV.EXE |  To:  a:\\| 80 1"_s);
    EXPECT_EQ(window.log.mid(window.log.size() - 4),
              (QStringList{u"progress:100"_s, u"Stop"_s, u"Close"_s, u"unload"_s}));
    EXPECT_FALSE(window.isShown());
    EXPECT_EQ(fs.fileNames(u"a:\\ACCT1"_s).size(), 4);
}

TEST_F(BackupRunTest, ExitInsideANestedRunEndsBothRuns) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    dialogs.answer({Answer::Yes, Answer::Yes});
    dialogs.atYield([&] { run.cmd_BackupDefault_Click(); });
    dialogs.atYield([&] { app.markEnded(); });

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(dialogs.boxes().size(), 2);
    EXPECT_TRUE(fs.calls(u"CopyFile"_s).isEmpty());
    EXPECT_EQ(window.log.count(u"unload"_s), 0);
    EXPECT_EQ(window.log.count(u"Stop"_s), 0);
}

TEST_F(BackupRunTest, DeclinedNestedRunLeavesTheOuterRunAlone) {
    source(u"C:\\DATA\\ACCT1"_s, DataFiles);
    dialogs.answer({Answer::Yes, Answer::No, Answer::OK});
    dialogs.atYield([&] { run.cmd_BackupDefault_Click(); });

    run.cmd_BackupDefault_Click();

    EXPECT_EQ(window.log.count(u"show"_s), 1);
    EXPECT_EQ(window.log.count(u"Play"_s), 1);
    EXPECT_EQ(fs.calls(u"CopyFile"_s).size(), 5);
    EXPECT_EQ(dialogs.texts().last(), u"Backup Complete"_s);
}

} // namespace
} // namespace qel::test
