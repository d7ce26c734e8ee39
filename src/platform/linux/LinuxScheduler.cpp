#include "platform/linux/LinuxScheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <optional>

namespace qel {

namespace {

// systemctl --user with arguments: nullopt when it succeeded, else why not.
std::optional<QString> systemctl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + arguments);
    if (!process.waitForFinished(60000))
        return process.errorString();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return std::nullopt;
}

// A value for an environment file: in double quotes, where systemd takes
// \\, \", \$ and \` for the character itself.
QString quotedForSystemd(QString value) {
    for (const char* c : {"\\", "\"", "$", "`"})
        value.replace(QLatin1String(c), u'\\' + QLatin1String(c));
    return u'"' + value + u'"';
}

// A word for the shell that cron hands its line to; % ends a crontab command.
QString quotedForCron(QString value) {
    value.replace(u'\'', QLatin1String("'\\''"));
    value.replace(u'%', QLatin1String("\\%"));
    return u'\'' + value + u'\'';
}

bool writeWhole(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.commit();
}

QString timerOf(const QString& name) {
    return QStringLiteral("qel-trekkel-backup@") + name + QStringLiteral(".timer");
}

} // namespace

LinuxScheduler::LinuxScheduler(QString configHome, QString program)
    : m_configHome(std::move(configHome))
    , m_program(std::move(program)) {}

QString LinuxScheduler::cronCommand(const QString& source, const QString& drive) const {
    return QStringLiteral("%1 --backup %2 --to %3")
        .arg(quotedForCron(m_program), quotedForCron(source), quotedForCron(drive));
}

SchedulerReply LinuxScheduler::schedule(const QString& source, const QString& drive, QTime time) {
    // Asked first, so a machine without a user systemd is left as it was.
    if (const std::optional<QString> why = systemctl({QStringLiteral("daemon-reload")})) {
        const QString line = QStringLiteral("%1 %2 * * * ").arg(time.minute()).arg(time.hour()) +
                             cronCommand(source, drive) + QStringLiteral(" --notify");
        return {false, QStringLiteral("There is no systemd user instance here (") + *why +
                           QStringLiteral("). To run the backup daily, add this line to your "
                                          "crontab (crontab -e):\n") +
                           line};
    }

    const QString name = scheduleName(source, drive);
    const QString timer = timerOf(name);
    const QByteArray environment = (QStringLiteral("SOURCE=") + quotedForSystemd(source) +
                                    QStringLiteral("\nDRIVE=") + quotedForSystemd(drive) + u'\n')
                                       .toUtf8();
    const QByteArray when =
        "[Timer]\nOnCalendar=\nOnCalendar=*-*-* " + time.toString(u"HH:mm").toLatin1() + ":00\n";
    const QString envFile =
        m_configHome + QStringLiteral("/qel-trekkel/schedule/") + name + QStringLiteral(".conf");
    const QString dropIn =
        m_configHome + QStringLiteral("/systemd/user/") + timer + QStringLiteral(".d/time.conf");
    if (!writeWhole(envFile, environment) || !writeWhole(dropIn, when))
        return {false, QStringLiteral("Cannot write the schedule's files in ") + m_configHome};

    if (const std::optional<QString> why = systemctl({QStringLiteral("daemon-reload")}))
        return {false, *why};
    if (const std::optional<QString> why =
            systemctl({QStringLiteral("enable"), QStringLiteral("--now"), timer}))
        return {false, *why};
    return {true, QStringLiteral("Scheduled daily at %1 as %2. See it with: systemctl --user "
                                 "list-timers 'qel-trekkel-backup@*'")
                      .arg(time.toString(u"HH:mm"), timer)};
}

SchedulerReply LinuxScheduler::unschedule(const QString& source, const QString& drive) {
    const QString name = scheduleName(source, drive);
    const QString timer = timerOf(name);
    if (const std::optional<QString> why = systemctl({QStringLiteral("daemon-reload")}))
        return {false, QStringLiteral("There is no systemd user instance here (") + *why +
                           QStringLiteral("). If you added the backup to your crontab, remove "
                                          "the line that holds this (crontab -e):\n") +
                           cronCommand(source, drive)};
    if (const std::optional<QString> why =
            systemctl({QStringLiteral("disable"), QStringLiteral("--now"), timer}))
        return {false, *why};
    QDir(m_configHome + QStringLiteral("/systemd/user/") + timer + QStringLiteral(".d"))
        .removeRecursively();
    QFile::remove(m_configHome + QStringLiteral("/qel-trekkel/schedule/") + name +
                  QStringLiteral(".conf"));
    systemctl({QStringLiteral("daemon-reload")});
    return {true, QStringLiteral("No longer scheduled: ") + timer};
}

} // namespace qel
