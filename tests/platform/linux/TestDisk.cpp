#include "TestDisk.h"

#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qel::test {

namespace {

constexpr long kFuseMagic = 0x65735546;

bool run(const QStringList& command) {
    const pid_t child = fork();
    if (child == 0) {
        std::vector<QByteArray> args;
        for (const QString& a : command)
            args.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

const char* kindName(TestDisk::Kind kind) {
    switch (kind) {
    case TestDisk::Kind::Tmpfs:
        return "Tmpfs";
    case TestDisk::Kind::Fat12Floppy:
        return "Fat12Floppy";
    case TestDisk::Kind::Fat32Stick:
        return "Fat32Stick";
    }
    return "?";
}

TestDisk::TestDisk(Kind kind, QByteArray folder, QByteArray imageDir, int kib, unsigned long flags)
    : m_kind(kind)
    , m_folder(std::move(folder))
    , m_image(imageDir + "/disk.img")
    , m_kib(kib)
    , m_flags(flags) {
    if (m_kind != Kind::Tmpfs) {
        for (const char* tool : {"mkfs.fat", "fusefat"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
                m_whyNot = QStringLiteral("%1 is not installed (dosfstools, fusefat)").arg(tool);
                return;
            }
        }
        if (access("/dev/fuse", R_OK | W_OK) != 0) {
            m_whyNot = QStringLiteral("/dev/fuse is missing");
            return;
        }
        const bool floppy = m_kind == Kind::Fat12Floppy;
        if (!run({QStringLiteral("mkfs.fat"), QStringLiteral("-C"),
                  QLatin1String(floppy ? "-F12" : "-F32"), QString::fromUtf8(m_image),
                  QLatin1String(floppy ? "1440" : "65536")})) {
            m_whyNot = QStringLiteral("mkfs.fat failed");
            return;
        }
    }
    m_mounted = mount();
}

TestDisk::~TestDisk() {
    unmount();
}

bool TestDisk::mount() {
    if (m_kind == Kind::Tmpfs) {
        const QByteArray options = "size=" + QByteArray::number(m_kib) + "k";
        if (::mount("tmpfs", m_folder.constData(), "tmpfs", m_flags, options.constData()) == 0)
            return true;
        m_whyNot = QStringLiteral("cannot mount a tmpfs here");
        return false;
    }
    // In the foreground, so unmounting can wait until the image is written.
    m_server = fork();
    if (m_server == 0) {
        // Its chatter would mix with ours and hold our output open.
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execlp("fusefat", "fusefat", "-f", "-o", "rw+", m_image.constData(), m_folder.constData(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 500; ++i) {
        struct statfs fs {};
        if (statfs(m_folder.constData(), &fs) == 0 && fs.f_type == kFuseMagic)
            return true;
        if (waitpid(m_server, nullptr, WNOHANG) == m_server)
            break;
        QThread::msleep(10);
    }
    m_whyNot = QStringLiteral("fusefat did not mount the image");
    kill(m_server, SIGKILL);
    waitpid(m_server, nullptr, 0);
    m_server = -1;
    return false;
}

void TestDisk::unmount() {
    if (!m_mounted)
        return;
    if (umount(m_folder.constData()) != 0)
        umount2(m_folder.constData(), MNT_DETACH);
    if (m_server > 0)
        waitpid(m_server, nullptr, 0);
    m_server = -1;
    m_mounted = false;
}

QString TestDisk::damage() {
    if (m_kind == Kind::Tmpfs)
        return {};
    unmount();
    QProcess fsck;
    fsck.setProcessChannelMode(QProcess::MergedChannels);
    fsck.start(QStringLiteral("fsck.fat"), {QStringLiteral("-n"), QString::fromUtf8(m_image)});
    if (!fsck.waitForFinished())
        return QStringLiteral("fsck.fat did not run");
    return fsck.exitCode() == 0 ? QString() : QString::fromLocal8Bit(fsck.readAll());
}

QByteArray TestDisk::imageFile(const QByteArray& path) const {
    QProcess mcopy;
    mcopy.start(QStringLiteral("mcopy"),
                {QStringLiteral("-n"), QStringLiteral("-i"), QString::fromUtf8(m_image),
                 QStringLiteral("::") + QString::fromUtf8(path), QStringLiteral("-")});
    return mcopy.waitForFinished() && mcopy.exitCode() == 0 ? mcopy.readAllStandardOutput()
                                                              : QByteArray("(mcopy failed)");
}

bool TestDisk::remount() {
    unmount();
    m_mounted = mount();
    return m_mounted;
}

} // namespace qel::test
