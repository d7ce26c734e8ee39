#include "app/DestinationProbe.h"

#include "FakeControls.h"
#include "FakeDialogs.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::FakeDialogs;
using test::FakeDriveList;
using test::ShownBox;

const QString FloppyText = QStringLiteral(
    "A: floppy drive is not available. Insert a floppy or cancel to use the hard disk drive C:");

// The list opens on D: so every move is visible.
FakeDriveList makeDrive2() {
    return FakeDriveList({"a:", "C:", "D:"}, 2);
}

void expectFloppyBox(const ShownBox& box) {
    EXPECT_EQ(box.text, FloppyText);
    EXPECT_EQ(box.title, "QEL Trekkel");
    EXPECT_EQ(box.icon, Icon::Critical);
    EXPECT_EQ(box.kind, BoxKind::DriveRetry);
    EXPECT_EQ(box.defaultButton, DefaultButton::First);
}

TEST(DestinationProbe, ReadyFloppyIsSelectedWithoutAMessage) {
    FakeDriveList drive2 = makeDrive2();
    FakeDialogs dialogs;
    probeDestination(drive2, dialogs);
    EXPECT_EQ(drive2.Drive(), "a:");
    EXPECT_TRUE(dialogs.boxes().isEmpty());
}

TEST(DestinationProbe, RetryRepeatsUntilADiskIsInserted) {
    FakeDriveList drive2 = makeDrive2();
    drive2.notReady = {u'A'};
    FakeDialogs dialogs;
    dialogs.answer({Answer::Retry, Answer::Retry, Answer::Retry});
    dialogs.onBox = [&](const ShownBox&) {
        if (dialogs.boxes().size() == 3)
            drive2.notReady.clear();
    };
    probeDestination(drive2, dialogs);

    ASSERT_EQ(dialogs.boxes().size(), 3);
    for (const ShownBox& box : dialogs.boxes())
        expectFloppyBox(box);
    EXPECT_EQ(drive2.Drive(), "a:");
    EXPECT_EQ(drive2.writes, 4);
}

TEST(DestinationProbe, CancelFallsBackToTheHardDisk) {
    FakeDriveList drive2 = makeDrive2();
    drive2.notReady = {u'A'};
    FakeDialogs dialogs;
    dialogs.answer({Answer::Cancel});
    probeDestination(drive2, dialogs);

    ASSERT_EQ(dialogs.boxes().size(), 1);
    expectFloppyBox(dialogs.boxes().front());
    EXPECT_EQ(drive2.Drive(), "C:");
}

TEST(DestinationProbe, FailingFallBackKeepsTheInitialDriveQuietly) {
    FakeDriveList drive2 = makeDrive2();
    drive2.notReady = {u'A', u'C'};
    FakeDialogs dialogs;
    dialogs.answer({Answer::Cancel});
    EXPECT_NO_THROW(probeDestination(drive2, dialogs));
    EXPECT_EQ(dialogs.boxes().size(), 1);
    EXPECT_EQ(drive2.Drive(), "D:");
}

// A drive list that fails every write with one chosen error.
class FailingDriveList final : public DriveList {
public:
    explicit FailingDriveList(int number)
        : m_number(number) {}
    int writes = 0;
    QString Drive() const override { return QStringLiteral("D:"); }
    void setDrive(const QString&) override {
        ++writes;
        throw Error(m_number);
    }
    int ListCount() const override { return 1; }
    QString List(int) const override { return Drive(); }

private:
    int m_number;
};

TEST(DestinationProbe, OtherErrorsEndTheProbeSilently) {
    for (const int number : {err::PermissionDenied, err::DeviceIOError, 5}) {
        FailingDriveList drive2(number);
        FakeDialogs dialogs;
        EXPECT_NO_THROW(probeDestination(drive2, dialogs)) << number;
        EXPECT_EQ(drive2.writes, 1) << number;
        EXPECT_TRUE(dialogs.boxes().isEmpty()) << number;
    }
}

} // namespace
} // namespace qel
