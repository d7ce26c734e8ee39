// What every copy promises, on each platform's real file system and calls,
// with FailingCopyIo between them to fail a write, a flush or a rename.
#include "CopyPlaces.h"
#include "platform/CopyPolicy.h"
#include "platform/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace qel::test {
namespace {

QByteArray pattern(int size, char seed) {
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i * 7 % 251);
    return data;
}

class CopyContract : public ::testing::Test {
protected:
    void SetUp() override {
        m_places = makeCopyPlaces();
        if (!m_places)
            GTEST_SKIP() << "no drives to copy between (tests/platform/windows/WineDrives.sh)";
    }

    // "A.HST" in the source or the target folder, as the host names it.
    QString src(const char* name) const { return hostIn(m_places->source(), name); }
    QString dst(const char* name) const { return hostIn(m_places->target(), name); }
    QString hostIn(const QString& folder, const char* name) const {
        return m_places->host(folder + u'\\' + QString::fromUtf8(name));
    }

    static void write(const QString& path, const QByteArray& data) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(data) == data.size())
            << path.toStdString();
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList targetNames() const {
        return QDir(m_places->host(m_places->target()))
            .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    bool noTempFiles() const {
        const QStringList names = targetNames();
        return std::none_of(names.begin(), names.end(), isTempName);
    }

    // The Error number of copying the source's files matching pattern; 0 when none.
    int copy(const char* filePattern = "*.HST", bool overwrite = true) {
        return copyTo(m_places->target() + u'\\', filePattern, overwrite);
    }
    int copyTo(const QString& destination, const char* filePattern = "*.HST",
               bool overwrite = true) {
        try {
            m_places->fso().CopyFile(m_places->source() + u'\\' + QString::fromUtf8(filePattern),
                                     destination, overwrite);
        } catch (const Error& e) {
            m_error = e.description();
            return e.number();
        }
        return 0;
    }
    FailingCopyIo& io() { return m_places->io; }

    std::unique_ptr<CopyPlaces> m_places;
    QString m_error;
};

TEST_F(CopyContract, CopiesMatchesUnderTheirNamesAndKeepsTheirTimes) {
    write(src("ACCT1.HST"), "new contents");
    write(src("Kurs \xc3\xbc"
              "ber Z\xc3\xbcrich.hst"),
          "franken");
    write(src("ACCT1.CVD"), "other kind");
    const QDateTime modified(QDate(2017, 7, 14), QTime(2, 40, 1), Qt::UTC);
    {
        QFile file(src("ACCT1.HST"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    write(dst("ACCT1.HST"), "old");

    EXPECT_EQ(copy(), 0) << m_error.toStdString();
    EXPECT_EQ(read(dst("ACCT1.HST")), "new contents");
    EXPECT_EQ(read(dst("Kurs \xc3\xbc"
                       "ber Z\xc3\xbcrich.hst")),
              "franken");
    EXPECT_EQ(QFileInfo(dst("ACCT1.HST")).lastModified().toUTC(), modified);
    EXPECT_EQ(targetNames().size(), 2);

    EXPECT_EQ(copy("*.XPT"), err::FileNotFound);
    EXPECT_EQ(copy("MISSING.HST"), err::FileNotFound);
}

TEST_F(CopyContract, AnExistingTargetWithoutOverwriteOrAFolderInTheWay) {
    write(src("ACCT1.HST"), "new");
    write(dst("ACCT1.HST"), "old");
    EXPECT_EQ(copy("*.HST", false), err::FileAlreadyExists);
    EXPECT_EQ(read(dst("ACCT1.HST")), "old");

    write(dst("BLOCKER"), "a file where the folder should be");
    EXPECT_EQ(copyTo(m_places->target() + QStringLiteral("\\BLOCKER\\")),
              err::FileAlreadyExists);
    EXPECT_EQ(copyTo(m_places->target() + QStringLiteral("\\MISSING\\")), err::PathNotFound);
    QDir().mkpath(dst("SUB/ACCT1.HST"));
    EXPECT_EQ(copyTo(m_places->target() + QStringLiteral("\\SUB\\")), err::PathFileAccessError);
    EXPECT_TRUE(m_error.contains(QStringLiteral("SUB\\ACCT1.HST"))) << m_error.toStdString();
}

TEST_F(CopyContract, CopyingOntoItselfKeepsTheData) {
    write(src("ACCT1.HST"), "only copy");
    EXPECT_EQ(copyTo(m_places->source() + u'\\'), 0) << m_error.toStdString();
    EXPECT_EQ(read(src("ACCT1.HST")), "only copy");
}

TEST_F(CopyContract, DiskFullMidReplaceKeepsTheOldCopyAndNoTemporaryFile) {
    write(src("A.HST"), pattern(3000, 'a'));
    write(src("B.HST"), pattern(300000, 'b'));
    write(src("C.HST"), pattern(3000, 'c'));
    write(dst("B.HST"), "old B");
    write(dst("C.HST"), "old C");
    io().failAfterBytes = 3000 + 100000;

    EXPECT_EQ(copy(), err::DiskFull);
    // The file before the failing one is whole; the failing one and the one
    // after keep their old copies.
    EXPECT_EQ(read(dst("A.HST")), pattern(3000, 'a'));
    EXPECT_EQ(read(dst("B.HST")), "old B");
    EXPECT_EQ(read(dst("C.HST")), "old C");
    EXPECT_TRUE(noTempFiles());
}

// What the disk gives back is checked before it replaces anything; a failed
// flush or a refused rename replaces nothing either.
TEST_F(CopyContract, ACopyThatIsNotWholeOnTheDiskReplacesNothing) {
    write(src("A.HST"), pattern(300000, 'n'));
    write(dst("A.HST"), "old");
    const QString dosSource = m_places->source() + QStringLiteral("\\A.HST");
    const QString dosTarget = m_places->target() + QStringLiteral("\\A.HST");

    io().corruptReadBack = true;
    EXPECT_EQ(copy(), err::DeviceIOError);
    EXPECT_EQ(m_error, copyMismatchError(dosSource, m_places->target()).description());
    io().corruptReadBack = false;

    io().durableFailure = Trouble::DeviceIo;
    EXPECT_EQ(copy(), err::DeviceIOError);
    io().durableFailure.reset();

    // A rename the medium forbids is no missing disk: the file is named.
    io().renameFailure = Trouble::Refused;
    EXPECT_EQ(copy(), err::PathFileAccessError);
    EXPECT_EQ(m_error, renameRefusedError(dosTarget, QStringLiteral("operation not permitted"))
                           .description());
    EXPECT_EQ(read(dst("A.HST")), "old");
    EXPECT_TRUE(noTempFiles());
}

// Copies are read back side by side, yet a batch still stops at its first
// copy that does not read back whole: those before it are in place, it and
// every later one keep their old copy, and a read-back error is named.
TEST_F(CopyContract, ABatchStopsAtItsFirstBadCopy) {
    const auto name = [](int i) {
        return QStringLiteral("F%1.HST").arg(i, 2, 10, QLatin1Char('0'));
    };
    for (int i = 0; i < 12; ++i) {
        write(src(qPrintable(name(i))), pattern(5000, char(i)));
        write(dst(qPrintable(name(i))), "old");
    }
    const auto replaced = [&] {
        int count = 0;
        while (count < 12 && read(dst(qPrintable(name(count)))) != "old")
            ++count;
        for (int i = count; i < 12; ++i)
            if (read(dst(qPrintable(name(i)))) != "old")
                return -1;
        return count;
    };
    const QString target = m_places->target();

    io().onlyReadBackOf = "F05.HST";
    io().corruptReadBack = true;
    EXPECT_EQ(copy(), err::DeviceIOError);
    EXPECT_EQ(m_error, copyMismatchError(m_places->source() + QStringLiteral("\\F05.HST"), target)
                           .description());
    EXPECT_EQ(replaced(), 5);
    io().corruptReadBack = false;

    io().onlyReadBackOf = "F08.HST";
    io().readBackFailure = Trouble::DeviceIo;
    EXPECT_EQ(copy(), err::DeviceIOError);
    EXPECT_EQ(m_error, QStringLiteral("Device I/O error reading back %1\\F08.HST").arg(target));
    EXPECT_EQ(replaced(), 8);
    EXPECT_TRUE(noTempFiles());
}

// A second backup of unchanged files writes nothing; a file whose bytes
// changed behind an unchanged size and time is still copied. A batch is made
// durable once, not once a file.
TEST_F(CopyContract, UnchangedFilesAreNotWrittenAgain) {
    for (int i = 0; i < 20; ++i)
        write(src(qPrintable(QStringLiteral("F%1.HST").arg(i))), pattern(1000, char(i)));
    write(src("B.HST"), pattern(100000, 'b'));
    EXPECT_EQ(copy(), 0) << m_error.toStdString();
    EXPECT_EQ(io().durableCalls, 1);
    const long long written = io().bytesWritten;

    const QDateTime modified = QFileInfo(src("B.HST")).lastModified();
    write(src("B.HST"), pattern(100000, 'B'));
    {
        QFile file(src("B.HST"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(copy(), 0) << m_error.toStdString();
    EXPECT_EQ(io().bytesWritten - written, 100000);
    EXPECT_EQ(read(dst("B.HST")), pattern(100000, 'B'));
}

// A source written to while it is copied is copied again; one that never
// settles is named, and its old copy stays.
TEST_F(CopyContract, ASourceThatChangesWhileItIsCopied) {
    write(src("A.HST"), pattern(200000, 'n'));
    write(dst("A.HST"), "old");
    const auto append = [&] {
        QFile file(src("A.HST"));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("more");
    };
    io().failAfterBytes = 50000;
    io().atLimit = [&] {
        append();
        io().failAfterBytes = -1;
    };
    EXPECT_EQ(copy(), 0) << m_error.toStdString();
    EXPECT_EQ(read(dst("A.HST")), pattern(200000, 'n') + "more");

    std::function<void()> keepWriting = [&] {
        append();
        io().failAfterBytes = io().bytesWritten + 50000;
        io().atLimit = keepWriting;
    };
    io().atLimit = keepWriting;
    io().failAfterBytes = io().bytesWritten + 50000;
    write(dst("A.HST"), "old");
    EXPECT_EQ(copy(), err::PathFileAccessError);
    EXPECT_EQ(m_error,
              sourceChangedError(m_places->source() + QStringLiteral("\\A.HST")).description());
    EXPECT_EQ(read(dst("A.HST")), "old");
    EXPECT_TRUE(noTempFiles());
}

// A large copy is read back at once, beside its source read again: a change
// made meanwhile is still caught and copied again, and a copy that reads back
// different is named and replaces nothing.
TEST_F(CopyContract, ALargeCopyIsCheckedAsItGoes) {
    const QByteArray large = pattern(9 << 20, 'L');
    write(src("BIG.HST"), large);
    write(dst("BIG.HST"), "old");
    const QByteArray changed = large.chopped(4) + "more";
    io().atSourceReadAgain = [&] { write(src("BIG.HST"), changed); };
    EXPECT_EQ(copy(), 0) << m_error.toStdString();
    EXPECT_TRUE(read(dst("BIG.HST")) == changed);

    write(src("BIG.HST"), large + "grown");
    io().corruptReadBack = true;
    EXPECT_EQ(copy(), err::DeviceIOError);
    EXPECT_TRUE(read(dst("BIG.HST")) == changed);
    EXPECT_TRUE(noTempFiles());
}

} // namespace
} // namespace qel::test
