// The Windows file-system object on real drives under Wine, mapped by
// WineDrives.sh: k: a plain folder, l: a 512 KiB tmpfs, m: a read-only mount,
// n: a letter without a medium, o: a FAT12 floppy image through fusefat.
#include "platform/Error.h"
#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsFileSystemObject.h"
// Last: it defines macros named like the program's operations.
#include "platform/windows/Win32.h"

#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <vector>

namespace qel::test {
namespace {

// An odd second and a fraction, which FAT's two-second steps must not fail.
constexpr std::uint64_t kSourceTime = 132223212056780000; // 2020-01-01 03:00:05.678 UTC

std::wstring wide(const QString& path) {
    return path.toStdWString();
}

void writeFile(const QString& path, const QByteArray& data) {
    const HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const FILETIME t{DWORD(kSourceTime), DWORD(kSourceTime >> 32)};
    const bool ok = h != INVALID_HANDLE_VALUE &&
                    WriteFile(h, data.constData(), DWORD(data.size()), &written, nullptr) &&
                    SetFileTime(h, nullptr, nullptr, &t);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    if (!ok || written != DWORD(data.size()))
        throw std::runtime_error("cannot write " + path.toStdString());
}

std::optional<QByteArray> readFile(const QString& path) {
    const HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    QByteArray data(int(GetFileSize(h, nullptr)), '\0');
    DWORD got = 0;
    ReadFile(h, data.data(), DWORD(data.size()), &got, nullptr);
    CloseHandle(h);
    return data.left(int(got));
}

// The file at path as the system sees it; all zero when there is none.
BY_HANDLE_FILE_INFORMATION infoOf(const QString& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    const HANDLE h = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        GetFileInformationByHandle(h, &info);
        CloseHandle(h);
    }
    return info;
}

std::uint64_t lastWrite(const QString& path) {
    const FILETIME t = infoOf(path).ftLastWriteTime;
    return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Which file stands at path (0: none): a replaced target is another file.
std::uint64_t fileIndex(const QString& path) {
    const BY_HANDLE_FILE_INFORMATION info = infoOf(path);
    return (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

QStringList namesIn(const QString& folder) {
    QStringList names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(wide(folder + QStringLiteral("\\*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name != u"." && name != u"..")
            names.append(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void removeTree(const QString& path) {
    for (const QString& name : namesIn(path)) {
        const QString child = path + u'\\' + name;
        removeTree(child);
        DeleteFileW(wide(child).c_str());
    }
    RemoveDirectoryW(wide(path).c_str());
}

QByteArray content(int kib, char fill) {
    return QByteArray(kib * 1024, fill);
}

class WindowsCopy : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_drives.isReady(u'K'))
            GTEST_SKIP() << "drives k: to o: are not mapped (tests/platform/windows/WineDrives.sh)";
    }

    // The Error number raised by op, its description kept; 0 when none.
    template <typename Op> int failure(Op op) {
        try {
            op();
        } catch (const Error& e) {
            m_error = e.description();
            return e.number();
        }
        return 0;
    }

    WindowsDrives m_drives;
    WindowsFileSystemObject m_fso{m_drives};
    QString m_error;
};

struct FileSpec {
    const char* name;
    int kib;
};

struct CopyCase {
    const char* name;
    const char* destination; // a folder, made empty first unless it is a root
    std::vector<FileSpec> old;
    int fillerKib; // in the destination's root, so the disk is as full as asked
    std::vector<FileSpec> fresh;
    const char* lockedSource; // held by "another program" during the copy
    int error;
    const char* message;          // part of the description; nullptr: not checked
    QStringList replaced;         // the rest keep their old copy (or stay absent)
    bool identical = false;       // old copies hold the fresh contents already
    bool timesKept = true;        // fusefat's times are its own
    const char* source = nullptr; // a folder WineDrives.sh made; else one of fresh
    const char* heldTarget = nullptr; // an old copy "another program" holds open
};

class CopyPromises : public WindowsCopy, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopyPromises, EachTargetIsTheWholeNewCopyOrItsOldOne) {
    const CopyCase& c = GetParam();
    const QString source = c.source ? QString::fromLatin1(c.source)
                                    : QStringLiteral("K:\\SRC-%1").arg(QLatin1String(c.name));
    const QString destination = QString::fromLatin1(c.destination);
    const QString folder = destination.chopped(1);
    const QString root = destination.left(3);
    if (!c.source) {
        removeTree(source);
        CreateDirectoryW(wide(source).c_str(), nullptr);
    }
    if (folder != root.chopped(1) && m_drives.isReady(destination.at(0))) {
        removeTree(folder);
        removeTree(root + QStringLiteral("FILLER"));
        DeleteFileW(wide(root + QStringLiteral("FILLER")).c_str());
        CreateDirectoryW(wide(folder).c_str(), nullptr);
    }
    if (c.fillerKib)
        writeFile(root + QStringLiteral("FILLER"), content(c.fillerKib, 'f'));
    std::vector<std::uint64_t> oldIndex;
    for (const FileSpec& f : c.old) {
        writeFile(folder + u'\\' + QLatin1String(f.name), content(f.kib, c.identical ? 'n' : 'o'));
        oldIndex.push_back(fileIndex(folder + u'\\' + QLatin1String(f.name)));
    }
    for (const FileSpec& f : c.fresh)
        writeFile(source + u'\\' + QLatin1String(f.name), content(f.kib, 'n'));
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (c.lockedSource || c.heldTarget)
        lock = CreateFileW(wide(c.heldTarget ? folder + u'\\' + QLatin1String(c.heldTarget)
                                             : source + u'\\' + QLatin1String(c.lockedSource))
                               .c_str(),
                           GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);

    EXPECT_EQ(failure([&] { m_fso.CopyFile(source + QStringLiteral("\\*.*"), destination, true); }),
              c.error)
        << m_error.toStdString();
    if (c.message) {
        EXPECT_TRUE(m_error.contains(QLatin1String(c.message))) << m_error.toStdString();
    }
    if (lock != INVALID_HANDLE_VALUE)
        CloseHandle(lock);

    for (const FileSpec& f : c.fresh) {
        const QString target = folder + u'\\' + QLatin1String(f.name);
        const auto old = std::find_if(c.old.begin(), c.old.end(), [&](const FileSpec& o) {
            return QLatin1String(o.name) == QLatin1String(f.name);
        });
        if (c.replaced.contains(QLatin1String(f.name))) {
            EXPECT_EQ(readFile(target), content(f.kib, 'n')) << f.name;
            if (c.timesKept) {
                EXPECT_EQ(lastWrite(target), kSourceTime) << f.name;
            }
        } else if (old != c.old.end()) {
            EXPECT_EQ(readFile(target), content(old->kib, 'o')) << f.name << " lost its old copy";
        } else {
            EXPECT_EQ(readFile(target), std::nullopt) << f.name;
        }
    }
    for (std::size_t i = 0; c.identical && i < c.old.size(); ++i) {
        EXPECT_EQ(fileIndex(folder + u'\\' + QLatin1String(c.old[i].name)), oldIndex[i])
            << c.old[i].name << " was rewritten though unchanged";
    }
    // Nothing else: no temporary file, no file copied after the failing one.
    QStringList expected = c.replaced;
    for (const FileSpec& f : c.old)
        expected.append(QLatin1String(f.name));
    expected.removeDuplicates();
    expected.sort();
    QStringList names = namesIn(folder);
    names.sort();
    EXPECT_EQ(names, expected);
}

// clang-format off
const CopyCase kCases[] = {
    // Times kept on a drive that keeps them its own way.
    {"Plain", "K:\\PLAIN\\", {}, 0, {{"ACCT.CVD", 300}, {"WINCORV.EXE", 20}}, nullptr, 0, nullptr,
     {"ACCT.CVD", "WINCORV.EXE"}},
    // 512 KiB: each new copy fits beside its old one, both new ones do not.
    {"FullDiskOneAtATime", "l:\\ACCT1\\", {{"A.CVD", 150}, {"B.CVD", 150}}, 0,
     {{"A.CVD", 160}, {"B.CVD", 160}}, nullptr, 0, nullptr, {"A.CVD", "B.CVD"}},
    {"FullDiskKeepsOld", "l:\\ACCT1\\", {{"A.CVD", 150}, {"B.CVD", 10}}, 250,
     {{"A.CVD", 200}, {"B.CVD", 12}}, nullptr, 61, "Disk full: l:\\ACCT1\\A.CVD needs ", {}},
    {"FullDiskNewFile", "l:\\ACCT1\\", {}, 400, {{"A.CVD", 200}}, nullptr, 61,
     " KB more to be copied", {}},
    {"ReadOnly", "m:\\", {}, 0, {{"A.CVD", 1}}, nullptr, 70, nullptr, {}},
    {"NoMedium", "n:\\ACCT1\\", {}, 0, {{"A.CVD", 1}}, nullptr, 71, nullptr, {}},
    {"LockedSource", "K:\\LOCKED\\", {{"A.CVD", 5}}, 0, {{"A.CVD", 10}, {"B.CVD", 10}}, "A.CVD",
     75, "A.CVD", {}},
    {"HeldTarget", "K:\\HELD\\", {{"A.CVD", 5}}, 0, {{"A.CVD", 10}}, nullptr, 75,
     "K:\\HELD\\A.CVD is in use by another program", {}, false, true, nullptr, "A.CVD"},
    {"FatFloppy", "o:\\ACCT1\\", {{"ACCT.CVD", 400}}, 0,
     {{"ACCT.CVD", 500}, {"Long Account Name.hst", 100}}, nullptr, 0, nullptr,
     {"ACCT.CVD", "Long Account Name.hst"}, false, false},
    {"FatFloppyFull", "o:\\ACCT1\\", {{"ACCT.CVD", 700}}, 0, {{"ACCT.CVD", 800}}, nullptr, 61,
     "more to be replaced safely", {}, false, false},
    // Two names in a case-sensitive source folder would land on one target.
    {"CaseCollision", "K:\\CASEDST\\", {}, 0, {}, nullptr, 58, "differ only in case", {}, false,
     true, "K:\\CASE"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Drives, CopyPromises, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowsCopy, PathsLongerThanMaxPathAreCopied) {
    QString deep = QStringLiteral("K:\\DEEP");
    removeTree(deep);
    m_fso.CreateFolder(deep);
    for (int i = 0; deep.size() < 300; ++i) {
        deep += QStringLiteral("\\A folder with a long name number %1").arg(i);
        m_fso.CreateFolder(deep);
    }
    writeFile(QStringLiteral("\\\\?\\") + deep + QStringLiteral("\\ACCT.CVD"), content(3, 'n'));
    m_fso.CreateFolder(deep + QStringLiteral("\\COPY"));
    m_fso.CopyFile(deep + QStringLiteral("\\*.CVD"), deep + QStringLiteral("\\COPY\\"), true);
    EXPECT_EQ(readFile(QStringLiteral("\\\\?\\") + deep + QStringLiteral("\\COPY\\ACCT.CVD")),
              content(3, 'n'));
    EXPECT_EQ(m_fso.GetFile(deep + QStringLiteral("\\COPY\\ACCT.CVD"))->Size(), 3 * 1024);
}

TEST_F(WindowsCopy, GetFileGivesTheFileSystemsOwnFacts) {
    removeTree(QStringLiteral("K:\\FACTS"));
    m_fso.CreateFolder(QStringLiteral("K:\\FACTS"));
    writeFile(QStringLiteral("K:\\FACTS\\Long Account Name.cvd"), content(2, 'n'));
    const HANDLE big =
        CreateFileW(L"K:\\FACTS\\BIG.DAT", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER fiveGiB{};
    fiveGiB.QuadPart = 5ll << 30;
    SetFilePointerEx(big, fiveGiB, nullptr, FILE_BEGIN);
    SetEndOfFile(big);
    CloseHandle(big);

    const auto file = m_fso.GetFile(QStringLiteral("K:\\FACTS\\\\Long Account Name.cvd"));
    EXPECT_EQ(file->Path(), QStringLiteral("K:\\FACTS\\Long Account Name.cvd"));
    EXPECT_EQ(file->DrivePath(), QStringLiteral("K:"));
    EXPECT_EQ(file->Size(), 2048);
    EXPECT_EQ(file->DateLastModified().toUTC(),
              QDateTime(QDate(2020, 1, 1), QTime(3, 0, 5, 678), Qt::UTC));
    const QString shortName = file->ShortName();
    EXPECT_LE(shortName.size(), 12);
    EXPECT_EQ(m_fso.GetFile(QStringLiteral("K:\\FACTS\\") + shortName)->Size(), 2048)
        << shortName.toStdString() << " names another file";
    EXPECT_EQ(m_fso.GetFile(QStringLiteral("K:\\FACTS\\BIG.DAT"))->Size(), 5ll << 30);

    const std::pair<const char*, int> failures[] = {
        {"K:\\FACTS\\NONE.CVD", 53}, {"K:\\NOFOLDER\\A.CVD", 76}, {"n:\\A.CVD", 68}};
    for (const auto& [path, number] : failures)
        EXPECT_EQ(failure([&] { m_fso.GetFile(QString::fromLatin1(path)); }), number) << path;
}

} // namespace
} // namespace qel::test
