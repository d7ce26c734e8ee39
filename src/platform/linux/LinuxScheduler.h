#pragma once

#include "platform/Scheduler.h"

namespace qel {

// Schedules through a systemd user timer: the package ships the templates
// qel-trekkel-backup@.service and .timer; a schedule is an instance of them
// with its source and drive in an environment file and its time in a drop-in,
// both in the user's config folder. Where there is no user systemd it says
// which crontab line to add instead.
class LinuxScheduler final : public Scheduler {
public:
    // configHome is $XDG_CONFIG_HOME (or ~/.config); program the executable
    // for the crontab line.
    LinuxScheduler(QString configHome, QString program);

    SchedulerReply schedule(const QString& source, const QString& drive, QTime time) override;
    SchedulerReply unschedule(const QString& source, const QString& drive) override;

private:
    // The command of the crontab line that runs the backup, without the
    // --notify that earlier versions did not add.
    QString cronCommand(const QString& source, const QString& drive) const;

    QString m_configHome;
    QString m_program;
};

} // namespace qel
