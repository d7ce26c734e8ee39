#include "BackupBench.h"

#include "backup/BackupRun.h"
#include "cli/FixedControls.h"
#include "platform/AppObject.h"
#include "platform/Dialogs.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace qel::bench {

namespace {

// Answers every box as a user who wants the backup would, and keeps the texts.
class AnsweringDialogs final : public Dialogs {
public:
    QStringList texts;
    Answer MsgBox(const QString& text, BoxKind kind, Icon, DefaultButton,
                  const QString&) override {
        texts << text;
        return kind == BoxKind::Confirmation ? Answer::Yes : Answer::OK;
    }
    void DoEvents() override {}
    // A worker thread per copy, as in the program.
    void runWithoutInput(const std::function<void()>& work) override {
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        });
        worker.join();
        if (failure)
            std::rethrow_exception(failure);
    }
};

} // namespace

void fail(const QString& what) {
    std::fprintf(stderr, "bench_backup: %s\n", qPrintable(what));
    std::exit(1);
}

void writeFile(const QString& path, qint64 size, std::mt19937_64& random) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot create %1").arg(path));
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 left = size; left > 0;) {
        for (qsizetype i = 0; i + 8 <= block.size(); i += 8) {
            const quint64 v = random();
            std::memcpy(block.data() + i, &v, 8);
        }
        const qint64 n = std::min<qint64>(left, block.size());
        if (f.write(block.constData(), n) != n)
            fail(QStringLiteral("cannot write %1").arg(path));
        left -= n;
    }
}

QStringList makeSource(const QString& folder, const Case& c) {
    QDir().mkpath(folder);
    std::mt19937_64 random(42);
    static const char* const kinds[] = {"HST", "CVD", "CVT", "XPT"};
    QStringList names;
    for (int i = 0; i < c.dataFiles; ++i)
        names << QStringLiteral("F%1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(kinds[i % 4]);
    for (const QString& n : names)
        writeFile(folder + u'/' + n, c.size, random);
    names << QStringLiteral("WINCORV.EXE");
    writeFile(folder + QStringLiteral("/WINCORV.EXE"), c.exeSize, random);
    return names;
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int repetitions() {
    return qEnvironmentVariableIsSet("QEL_BENCH_REPS")
               ? std::max(1, qEnvironmentVariableIntValue("QEL_BENCH_REPS"))
               : 3;
}

bool caseChosen(char letter) {
    const QString only = qEnvironmentVariable("QEL_BENCH_CASE");
    return only.isEmpty() || only == QLatin1Char(letter);
}

double timedBackup(const std::function<std::unique_ptr<FileSystemObject>()>& makeFso,
                   const QString& sourceDir, const QString& drive, const FixedFiles& files) {
    AnsweringDialogs dialogs;
    const double time = seconds([&] {
        const std::unique_ptr<FileSystemObject> fso = makeFso();
        HiddenProgressWindow window;
        FixedDirList dir(sourceDir);
        FixedDriveList destination({DriveEntry{drive.at(0).toUpper(), drive, true}}, 0);
        AppObject app(QStringLiteral("C:\\"), 1, 0, 0);
        BackupRun run(files, dir, destination, window, dialogs, app,
                      [&]() -> FileSystemObject& { return *fso; });
        run.cmd_BackupDefault_Click();
    });
    if (dialogs.texts.size() != 2 || dialogs.texts.last() != u"Backup Complete")
        fail(QStringLiteral("the run did not complete: ") + dialogs.texts.join(u" / "));
    return time;
}

} // namespace qel::bench
