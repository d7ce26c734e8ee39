// Start-up time to the main window painted, and peak memory, of QEL_Trekkel
// against two minimal Qt Widgets programs, all offscreen, in the same run: a
// blank window, and a window with a label, a button, a combo box and a list,
// which pays the toolkit's font and style costs as the program does.
//
// Each program is started as a child process with the platform "offscreen"
// and the watch library preloaded (startup_watch.cpp), which ends the child
// right after its main window's first paint. Wall time runs from just before
// the spawn to the child's exit; peak memory is the child's maximum resident
// set as wait4 reports it. The runs alternate between the programs.
//
// Usage: bench_startup [runs]   (default 20)

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double milliseconds;
    double peakMiB;
};

struct Program {
    const char* name;
    QByteArray path;
    QByteArray windowClass;
    std::vector<Sample> samples;
};

Sample runOnce(const Program& program, const QByteArray& preload, const QByteArray& configHome) {
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (!entry.startsWith("QT_QPA_PLATFORM=") && !entry.startsWith("LD_PRELOAD=") &&
            !entry.startsWith("XDG_CONFIG_HOME=") && !entry.startsWith("QEL_BENCH_"))
            env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("LD_PRELOAD=" + preload);
    env.push_back("XDG_CONFIG_HOME=" + configHome);
    env.push_back("QEL_BENCH_WINDOW_CLASS=" + program.windowClass);
    std::vector<char*> envp;
    for (QByteArray& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    QByteArray path = program.path;
    char* argv[] = {path.data(), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, envp.data()) != 0) {
        std::perror("posix_spawn");
        std::exit(EXIT_FAILURE);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait4");
        std::exit(EXIT_FAILURE);
    }
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not reach its window (status %d)\n", program.name, status);
        std::exit(EXIT_FAILURE);
    }
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            usage.ru_maxrss / 1024.0};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> column(const Program& p, double Sample::*field) {
    std::vector<double> out;
    for (const Sample& s : p.samples)
        out.push_back(s.*field);
    return out;
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    // A drive table whose A: is ready, so the program starts without asking.
    QTemporaryDir configHome;
    const QString dosdevices = configHome.path() + QStringLiteral("/qel-trekkel/dosdevices");
    QDir().mkpath(dosdevices);
    QDir().mkpath(configHome.path() + QStringLiteral("/a"));
    QDir().mkpath(configHome.path() + QStringLiteral("/c"));
    QFile::link(configHome.path() + QStringLiteral("/a"), dosdevices + QStringLiteral("/a:"));
    QFile::link(configHome.path() + QStringLiteral("/c"), dosdevices + QStringLiteral("/c:"));

    std::vector<Program> programs{{"blank window", QEL_BENCH_MINIMAL, "QWidget", {}},
                                  {"window with controls", QEL_BENCH_CONTROLS, "QWidget", {}},
                                  {"QEL_Trekkel", QEL_BENCH_PROGRAM, "qel::FrmMain", {}}};
    const QByteArray preload = QEL_BENCH_WATCH;
    const QByteArray config = QFile::encodeName(configHome.path());

    for (Program& p : programs) // warm the page cache
        runOnce(p, preload, config);
    for (int i = 0; i < runs; ++i)
        for (Program& p : programs)
            p.samples.push_back(runOnce(p, preload, config));

    std::printf("%-22s %10s %10s %10s %14s\n", "program", "median ms", "mean ms", "min ms",
                "peak RSS MiB");
    for (const Program& p : programs) {
        const auto ms = column(p, &Sample::milliseconds);
        std::printf("%-22s %10.1f %10.1f %10.1f %14.1f\n", p.name, median(ms),
                    std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size(),
                    *std::min_element(ms.begin(), ms.end()), median(column(p, &Sample::peakMiB)));
    }
    const Program& program = programs.back();
    std::printf("runs %d\n", runs);
    for (size_t i = 0; i + 1 < programs.size(); ++i) {
        const double timeRatio = median(column(program, &Sample::milliseconds)) /
                                 median(column(programs[i], &Sample::milliseconds));
        const double extraMiB = median(column(program, &Sample::peakMiB)) -
                                median(column(programs[i], &Sample::peakMiB));
        std::printf("against %-20s time ratio %.2f, extra peak RSS %.1f MiB\n", programs[i].name,
                    timeRatio, extraMiB);
    }
    std::printf("target against the window with controls: ratio <= 1.5, extra <= 10 MiB\n");
    return 0;
}
