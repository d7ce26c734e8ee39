#include "BrowseFixture.h"
#include "platform/DateText.h"

#include <QRegularExpression>

namespace qel::test {
namespace {

const QDateTime Created(QDate(2023, 11, 2), QTime(9, 15, 42));
const QDateTime Accessed(QDate(2024, 1, 7), QTime(18, 3, 4));
const QDateTime Modified(QDate(2023, 12, 31), QTime(23, 59, 59));
const QDateTime MidnightAccess(QDate(2024, 1, 7), QTime(0, 0));

FileFacts readable(std::int64_t size = 1234) {
    FileFacts f;
    f.created = Created;
    f.lastAccessed = Accessed;
    f.lastModified = Modified;
    f.drivePath = "C:";
    f.size = size;
    f.path = "C:\\DATA\\ACCT1\\PORT.HST";
    f.shortName = "PORT.HST";
    return f;
}

QString fullText(const QString& accessed = dateText(Accessed),
                 const QString& size = QStringLiteral("1234")) {
    return "Created: " + dateText(Created) + "\r\nLast Accessed: " + accessed +
           "\r\nLast Modified: " + dateText(Modified) + "\r\nDrive: C:\r\nSize: " + size +
           " bytes\r\nPath: C:\\DATA\\ACCT1\\PORT.HST\r\nShort Name: PORT.HST";
}

struct PanelCase {
    const char* name;
    QString folder;
    QString entry;
    FileFacts facts;
    QString lookup;
    QString text;
};

void PrintTo(const PanelCase& c, std::ostream* os) {
    *os << c.name;
}

struct FileInfoTest : ::testing::TestWithParam<PanelCase> {};

TEST_P(FileInfoTest, ShowsTheReadableLinesInOrder) {
    const PanelCase& c = GetParam();
    BrowseRig rig({"C:"}, 0, c.folder);
    rig.file1.folders[c.folder] = {"OTHER.CVT", c.entry};
    rig.file1.setPath(c.folder);
    rig.fso.files[c.lookup] = c.facts;
    rig.panel.setText("previous file");

    rig.file1.userClicks(1);
    rig.browser.File1_Click();

    EXPECT_EQ(rig.fso.lookups, QStringList{c.lookup});
    EXPECT_EQ(rig.panel.Text(), c.text);
    EXPECT_TRUE(rig.dialogs.boxes().isEmpty());
}

FileFacts without(std::optional<QDateTime> FileFacts::*item) {
    FileFacts f = readable();
    f.*item = std::nullopt;
    return f;
}

FileFacts at(QString path, QString shortName, std::int64_t size = 1234) {
    FileFacts f = readable(size);
    f.path = std::move(path);
    f.shortName = std::move(shortName);
    return f;
}

const QString Sub = "C:\\DATA\\ACCT1";
const QString Lookup = "C:\\DATA\\ACCT1\\PORT.HST";

INSTANTIATE_TEST_SUITE_P(
    Lines, FileInfoTest,
    ::testing::Values(
        PanelCase{"AllReadable", Sub, "PORT.HST", readable(), Lookup, fullText()},
        PanelCase{"NoCreationTime", Sub, "PORT.HST", without(&FileFacts::created), Lookup,
                  fullText().mid(fullText().indexOf("Last Accessed: "))},
        PanelCase{"NoAccessTime", Sub, "PORT.HST", without(&FileFacts::lastAccessed), Lookup,
                  QString(fullText()).remove(QRegularExpression("Last Accessed: [^\r]*\r\n"))},
        PanelCase{"MidnightAccessShowsTheDateAlone", Sub, "PORT.HST",
                  [] {
                      FileFacts f = readable();
                      f.lastAccessed = MidnightAccess;
                      return f;
                  }(),
                  Lookup, fullText(dateText(MidnightAccess))},
        PanelCase{"EmptyFile", Sub, "PORT.HST", readable(0), Lookup,
                  fullText(dateText(Accessed), "0")},
        PanelCase{"OverFourGiB", Sub, "PORT.HST", readable(5368709121), Lookup,
                  fullText(dateText(Accessed), "5368709121")},
        PanelCase{"NothingReadable", Sub, "PORT.HST", FileFacts{}, Lookup, ""},
        // At a drive root the look-up path doubles the separator; the Path
        // line shows the file system's own path.
        PanelCase{"DriveRoot", "C:\\", "ROOT.CVT", at("C:\\ROOT.CVT", "ROOT.CVT"), "C:\\\\ROOT.CVT",
                  QString(fullText())
                      .replace("C:\\DATA\\ACCT1\\PORT.HST", "C:\\ROOT.CVT")
                      .replace("PORT.HST", "ROOT.CVT")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileInfo, ShowsTheEntryClickedAmongSeveralSelected) {
    BrowseRig rig({"C:"}, 0, Sub);
    rig.file1.folders[Sub] = {"A.HST", "B.HST", "C.HST"};
    rig.file1.setPath(Sub);
    for (const char* name : {"A.HST", "B.HST", "C.HST"})
        rig.fso.files[Sub + "\\" + name] = at(Sub + "\\" + name, name);

    // Select A and C, then click A again (which deselects it): A is shown.
    for (int i : {0, 2, 0}) {
        rig.file1.userClicks(i);
        rig.browser.File1_Click();
        EXPECT_TRUE(rig.panel.Text().endsWith("Short Name: " + rig.file1.List(i)));
    }
    EXPECT_EQ(rig.fso.lookups.size(), 3);
}

struct LookupFailure {
    const char* name;
    int number;
    QString description;
};

void PrintTo(const LookupFailure& c, std::ostream* os) {
    *os << c.name;
}

struct FailedLookupTest : ::testing::TestWithParam<LookupFailure> {};

TEST_P(FailedLookupTest, IsShownAndLeavesThePanelEmpty) {
    const LookupFailure& c = GetParam();
    BrowseRig rig({"a:", "C:"}, 0, "A:\\");
    rig.file1.folders["A:\\"] = {"GONE.HST"};
    rig.file1.setPath("A:\\");
    rig.fso.failNumber = c.number;
    rig.panel.setText("previous file");
    rig.dialogs.answer({Answer::OK});

    rig.file1.userClicks(0);
    ASSERT_NO_THROW(rig.browser.File1_Click());

    EXPECT_EQ(rig.panel.Text(), "");
    ASSERT_EQ(rig.dialogs.boxes().size(), 1);
    const ShownBox& box = rig.dialogs.boxes()[0];
    EXPECT_EQ(box.text, c.description);
    EXPECT_EQ(box.kind, BoxKind::Error);
    EXPECT_EQ(box.icon, Icon::Exclamation);
    EXPECT_TRUE(box.title.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedLookupTest,
    ::testing::Values(LookupFailure{"Vanished", err::FileNotFound, "File not found"},
                      LookupFailure{"FolderGone", err::PathNotFound, "Path not found"},
                      LookupFailure{"DriveGone", err::DeviceUnavailable, "Device unavailable"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileInfo, NoCurrentEntryOnlyEmptiesThePanel) {
    BrowseRig rig({"C:"}, 0, Sub);
    rig.file1.folders[Sub] = {"A.HST"};
    rig.file1.setPath(Sub);
    rig.panel.setText("previous file");

    rig.browser.File1_Click(); // ListIndex is -1 after a refill

    EXPECT_EQ(rig.panel.Text(), "");
    EXPECT_TRUE(rig.fso.lookups.isEmpty());
    EXPECT_TRUE(rig.dialogs.boxes().isEmpty());
}

} // namespace
} // namespace qel::test
