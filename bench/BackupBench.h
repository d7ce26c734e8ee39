#pragma once

#include "platform/Controls.h"
#include "platform/FileSystemObject.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace qel::bench {

struct Case {
    const char* name;
    int dataFiles;
    qint64 size;
    qint64 exeSize;
};

// (a) counts the executable among its 500 files; in (b) it is small.
inline constexpr Case SmallFiles{"(a) 500 x 32 KiB", 499, 32 * 1024, 32 * 1024};
inline constexpr Case LargeFiles{"(b) 4 x 256 MiB", 4, 256ll * 1024 * 1024, 4096};

class FixedFiles final : public FileList {
public:
    QStringList names;
    QString Path() const override { return {}; }
    void setPath(const QString&) override {}
    int ListCount() const override { return int(names.size()); }
    QString List(int i) const override { return names.value(i); }
    int ListIndex() const override { return -1; }
};

[[noreturn]] void fail(const QString& what);
void writeFile(const QString& path, qint64 size, std::mt19937_64& random);
// The data files spread over the four kinds, plus the program's executable.
QStringList makeSource(const QString& folder, const Case& c);
double seconds(const std::function<void()>& work);
double median(std::vector<double> v);
// The repetitions per method, QEL_BENCH_REPS (default 3).
int repetitions();
// Whether QEL_BENCH_CASE ("a", "b" or "c") leaves the case of that letter in.
bool caseChosen(char letter);

// One whole backup run of files from the DOS folder sourceDir to drive
// ("a:"), which must complete; a file-system object is made inside the time.
double timedBackup(const std::function<std::unique_ptr<FileSystemObject>()>& makeFso,
                   const QString& sourceDir, const QString& drive, const FixedFiles& files);

} // namespace qel::bench
