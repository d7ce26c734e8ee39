#include "platform/linux/LinuxLauncher.h"

#include "platform/Drives.h"
#include "platform/Error.h"

#include <cerrno>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qel {

namespace {

// The host path, or nullopt when the text names no reachable host file.
// A drive that is not ready still raises 68.
std::optional<QByteArray> hostPath(const Drives& drives, const QString& dosPath) {
    if (dosPath.isEmpty())
        return std::nullopt;
    try {
        return drives.toHostPath(dosPath);
    } catch (const Error& e) {
        if (e.number() == err::PathNotFound)
            return std::nullopt;
        throw;
    }
}

} // namespace

LinuxLauncher::LinuxLauncher(const Drives& drives)
    : m_drives(drives) {}

QString LinuxLauncher::findFile(const QString& path) {
    try {
        const auto host = hostPath(m_drives, path);
        struct stat st {};
        if (!host || ::stat(host->constData(), &st) != 0 || !S_ISREG(st.st_mode))
            return {};
    } catch (const Error&) {
        // A drive that is not ready holds no file to find.
        return {};
    }
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

void LinuxLauncher::startProgram(const QString& path) {
    const auto host = hostPath(m_drives, path);
    if (!host)
        throw Error(err::FileNotFound);

    struct stat st {};
    if (::stat(host->constData(), &st) != 0)
        throw Error(errno == ENOENT || errno == ENOTDIR ? err::FileNotFound
                                                        : err::PathFileAccessError);
    if (!S_ISREG(st.st_mode) || ::access(host->constData(), X_OK) != 0)
        throw Error(err::PathFileAccessError);

    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0)
        throw Error(err::PathFileAccessError);
    // Its own session, so it neither shares our terminal nor dies with us.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);

    QByteArray arg0 = *host;
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = 0;
    // The spawn reports a failed exec through its result. The file was just
    // found, so a failure here (a missing interpreter, a bad format) means
    // the host cannot run it.
    const int rc = ::posix_spawn(&pid, host->constData(), nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        throw Error(err::PathFileAccessError);

    // Never waited for, but reaped when it ends, so it leaves no zombie.
    try {
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // The tool runs; an unreaped entry until we exit is better than
        // reporting a started tool as failed.
    }
}

} // namespace qel
