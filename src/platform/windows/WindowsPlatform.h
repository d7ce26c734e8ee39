#pragma once

#include "platform/AppObject.h"
#include "platform/Platform.h"
#include "platform/windows/WindowsDirectoryLister.h"
#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsLauncher.h"
#include "platform/windows/WindowsNotifier.h"
#include "platform/windows/WindowsRegistry.h"
#include "platform/windows/WindowsScheduler.h"

namespace qel {

// The Windows services: the system's drive letters, the real registry, the
// launcher, the Task Scheduler, the notification area.
class WindowsPlatform final : public Platform {
public:
    WindowsPlatform();

    AppObject& app() override { return m_app; }
    Drives& drives() override { return m_drives; }
    DirectoryLister& lister() override { return m_lister; }
    Registry& registry() override { return m_registry; }
    Launcher& launcher() override { return m_launcher; }
    Scheduler& scheduler() override { return m_scheduler; }
    Notifier& notifier() override { return m_notifier; }
    std::unique_ptr<FileSystemObject> makeFileSystemObject() override;
    QByteArray hostProgramDirectory() const override { return m_hostProgramDir.toUtf8(); }

private:
    WindowsDrives m_drives;
    WindowsDirectoryLister m_lister;
    QString m_hostProgramDir; // with backslashes
    AppObject m_app;
    WindowsRegistry m_registry;
    WindowsLauncher m_launcher;
    WindowsScheduler m_scheduler;
    WindowsNotifier m_notifier;
};

} // namespace qel
