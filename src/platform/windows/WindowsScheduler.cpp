#include "platform/windows/WindowsScheduler.h"

#include <QProcess>

namespace qel {

namespace {

// schtasks.exe with arguments: its output when it succeeded, else why not.
SchedulerReply schtasks(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("schtasks.exe"), arguments);
    if (!process.waitForFinished(60000))
        return {false, process.errorString()};
    const bool done = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QString output = QString::fromLocal8Bit(done ? process.readAllStandardOutput()
                                                       : process.readAllStandardError())
                               .trimmed();
    if (done || !output.isEmpty())
        return {done, output};
    // Some schedulers fail without a word: the command and its code are the news.
    return {false, QStringLiteral("schtasks.exe %1 failed (exit code %2) without saying why")
                       .arg(arguments.value(0))
                       .arg(process.exitCode())};
}

QString taskOf(const QString& source, const QString& drive) {
    return QStringLiteral("QEL Trekkel\\backup ") + scheduleName(source, drive);
}

} // namespace

WindowsScheduler::WindowsScheduler(QString program)
    : m_program(std::move(program)) {}

SchedulerReply WindowsScheduler::schedule(const QString& source, const QString& drive, QTime time) {
    const QString task = taskOf(source, drive);
    const QString command =
        QStringLiteral("\"%1\" --backup \"%2\" --to %3 --notify").arg(m_program, source, drive);
    SchedulerReply reply =
        schtasks({QStringLiteral("/Create"), QStringLiteral("/F"), QStringLiteral("/SC"),
                  QStringLiteral("DAILY"), QStringLiteral("/ST"), time.toString(u"HH:mm"),
                  QStringLiteral("/TN"), task, QStringLiteral("/TR"), command});
    if (reply.done)
        reply.message = QStringLiteral("Scheduled daily at %1 as the task \"%2\". See it with: "
                                       "schtasks /Query /TN \"%2\" /V")
                            .arg(time.toString(u"HH:mm"), task);
    return reply;
}

SchedulerReply WindowsScheduler::unschedule(const QString& source, const QString& drive) {
    const QString task = taskOf(source, drive);
    SchedulerReply reply =
        schtasks({QStringLiteral("/Delete"), QStringLiteral("/F"), QStringLiteral("/TN"), task});
    if (reply.done)
        reply.message = QStringLiteral("No longer scheduled: ") + task;
    return reply;
}

} // namespace qel
