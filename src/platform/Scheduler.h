#pragma once

#include <QString>
#include <QTime>

namespace qel {

// What a scheduler did, in words for the user: on success how to see the
// schedule with the platform's own tools, otherwise why not and what to do
// instead.
struct SchedulerReply {
    bool done = false;
    QString message;
};

// The platform's own scheduler, keeping a daily backup run of the command
// line (`QEL_Trekkel --backup SOURCE --to DRIVE --notify`) for the current
// user. A source and drive have at most one schedule, named by scheduleName.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Runs the backup of source (a DOS path) onto drive ("a:") every day at
    // time, replacing an earlier schedule of the two. Never throws.
    virtual SchedulerReply schedule(const QString& source, const QString& drive, QTime time) = 0;
    // Removes that schedule. Never throws.
    virtual SchedulerReply unschedule(const QString& source, const QString& drive) = 0;
};

// The schedule's name for source and drive ("a-1f0c9e2b"): the same however
// the source's case is written, and fit for a systemd unit instance and a
// task name.
QString scheduleName(const QString& source, const QString& drive);

} // namespace qel
