#pragma once

#include "platform/Scheduler.h"

namespace qel {

// Schedules through the Task Scheduler with schtasks.exe, a task for the
// current user in the folder "QEL Trekkel". The task starts the window
// program, which shows no console; the record and the task's last result
// tell how the run went, and a run that does not complete says so in the
// notification area.
class WindowsScheduler final : public Scheduler {
public:
    // program: the full Windows path of QEL_Trekkel.exe.
    explicit WindowsScheduler(QString program);

    SchedulerReply schedule(const QString& source, const QString& drive, QTime time) override;
    SchedulerReply unschedule(const QString& source, const QString& drive) override;

private:
    QString m_program;
};

} // namespace qel
