#include "backup/RunRecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qel::test {
namespace {

using Qt::StringLiterals::operator""_s;

class RunRecordTest : public ::testing::Test {
protected:
    QByteArray content() const {
        QFile f(record.filePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void append(const QString& source, BackupResult::Outcome outcome, const QDateTime& when,
                const QString& message = {}) {
        BackupResult result{outcome, source, u"a:\\ACCT1"_s, 100, 0, message, {}};
        ASSERT_EQ(record.append(result, when), QString());
    }

    QTemporaryDir dir;
    // In a folder that does not exist yet, as on a first run.
    RunRecord record{dir.filePath(u"QEL_Trekkel/backup.log"_s)};
    QDateTime noon{QDate(2026, 3, 1), QTime(12, 0), Qt::OffsetFromUTC, 3600};
};

TEST_F(RunRecordTest, OneLinePerRunAndTheLastCompleteRunOfAFolder) {
    append(u"C:\\DATA\\ACCT1"_s, BackupResult::Outcome::Complete, noon);
    append(u"C:\\DATA\\ACCT2"_s, BackupResult::Outcome::Complete, noon.addSecs(60));
    // A failure's message holds a line end: it may not break the record's lines.
    append(u"C:\\DATA\\ACCT1"_s, BackupResult::Outcome::BrokenOff, noon.addSecs(120),
           u"Disk full: a:\\ACCT1\\X.HST\tneeds\n4 KB"_s);

    EXPECT_EQ(content(), "2026-03-01T12:00:00+01:00\tC:\\DATA\\ACCT1\ta:\\ACCT1\t100%\tcomplete\n"
                         "2026-03-01T12:01:00+01:00\tC:\\DATA\\ACCT2\ta:\\ACCT1\t100%\tcomplete\n"
                         "2026-03-01T12:02:00+01:00\tC:\\DATA\\ACCT1\ta:\\ACCT1\t100%\t"
                         "Disk full: a:\\ACCT1\\X.HST needs 4 KB\n");
    // Named as the user may write it: another case, doubled or trailing separators.
    const std::optional<RecordedRun> last = record.last(u"c:\\data\\\\acct1\\"_s).complete;
    ASSERT_TRUE(last);
    EXPECT_EQ(last->time, noon);
    EXPECT_EQ(last->destination, u"a:\\ACCT1"_s);
    EXPECT_FALSE(record.last(u"C:\\DATA"_s).complete);
}

TEST_F(RunRecordTest, ATornLastLineIsIgnoredAndTheNextLineStartsAfreshBeforeIt) {
    append(u"C:\\DATA\\ACCT1"_s, BackupResult::Outcome::Complete, noon);
    {
        QFile f(record.filePath());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("2026-03-01T13:00:00+01:00\tC:\\DATA\\ACCT1\ta:\\ACCT1\t100%\tcompl");
    }
    EXPECT_EQ(record.last(u"C:\\DATA\\ACCT1"_s).complete->time, noon);

    append(u"C:\\DATA\\ACCT1"_s, BackupResult::Outcome::Declined, noon.addSecs(3 * 3600));
    EXPECT_TRUE(content().endsWith("compl\n2026-03-01T15:00:00+01:00\tC:\\DATA\\ACCT1\ta:\\ACCT1\t"
                                   "100%\tdeclined\n"));
    EXPECT_EQ(record.last(u"C:\\DATA\\ACCT1"_s).complete->time, noon);
}

// A run's line stands before it writes: one that never ends stays
// "interrupted", and a complete backup before it onto the same folder may now
// be a mix of two.
TEST_F(RunRecordTest, ARunThatNeverEndedIsInterrupted) {
    append(u"C:\\DATA\\ACCT1"_s, BackupResult::Outcome::Complete, noon);
    const QByteArray begun = record.begin(u"C:\\DATA\\ACCT1"_s, u"a:\\ACCT1"_s, noon.addSecs(60));
    EXPECT_TRUE(content().endsWith("\ta:\\ACCT1\t0%\tinterrupted\n"));
    RunRecord::Last last = record.last(u"C:\\DATA\\ACCT1"_s);
    ASSERT_TRUE(last.interruptedSince);
    EXPECT_EQ(last.interruptedSince->time, noon.addSecs(60));
    EXPECT_EQ(last.complete->time, noon);

    const BackupResult done{
        BackupResult::Outcome::Complete, u"C:\\DATA\\ACCT1"_s, u"a:\\ACCT1"_s, 100, 0, {}, {}};
    ASSERT_EQ(record.finish(begun, done, noon.addSecs(120)), QString());
    EXPECT_EQ(content().count('\n'), 2);
    last = record.last(u"C:\\DATA\\ACCT1"_s);
    EXPECT_FALSE(last.interruptedSince);
    EXPECT_EQ(last.complete->time, noon.addSecs(120));
}

TEST_F(RunRecordTest, KeepsTheNewestThousandLines) {
    for (int i = 0; i < RunRecord::MaxLines + 5; ++i)
        append(u"C:\\DATA\\ACCT%1"_s.arg(i), BackupResult::Outcome::Complete, noon.addSecs(i));

    const QList<QByteArray> lines = content().split('\n');
    ASSERT_EQ(lines.size(), RunRecord::MaxLines + 1); // the last one empty after the line end
    EXPECT_TRUE(lines.first().contains("\tC:\\DATA\\ACCT5\t"));
    EXPECT_TRUE(lines[lines.size() - 2].contains("\tC:\\DATA\\ACCT1004\t"));
    EXPECT_FALSE(record.last(u"C:\\DATA\\ACCT4"_s).complete);
}

} // namespace
} // namespace qel::test
