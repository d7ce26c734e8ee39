#pragma once

#include "platform/AppObject.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxLauncher.h"
#include "platform/linux/LinuxNotifier.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/LinuxScheduler.h"
#include "platform/linux/UDisksMedia.h"

namespace qel {

// The Linux services: the machine's drive table with the media UDisks2 can
// mount, the REGEDIT4 registry, the launcher, systemd's timers,
// desktop notifications.
class LinuxPlatform final : public Platform {
public:
    // The running machine, with UDisks2 on the system bus.
    LinuxPlatform();
    // Another drive table and bus (tests: folders of their own, a private bus).
    LinuxPlatform(DriveTableSources sources, std::function<QDBusConnection()> bus);

    AppObject& app() override { return m_app; }
    Drives& drives() override { return m_drives; }
    DirectoryLister& lister() override { return m_lister; }
    Registry& registry() override { return m_registry; }
    Launcher& launcher() override { return m_launcher; }
    Scheduler& scheduler() override { return m_scheduler; }
    Notifier& notifier() override { return m_notifier; }
    std::unique_ptr<FileSystemObject> makeFileSystemObject() override;
    QByteArray hostProgramDirectory() const override { return m_hostProgramDir; }

    // The media the drive table offers. Making them asks the service nothing:
    // the window follows it once it is up (start), the command line waits for
    // its answer before it reads the table (load).
    UDisksMedia& media() { return m_media; }

private:
    UDisksMedia m_media;
    LinuxDrives m_drives;
    LinuxDirectoryLister m_lister;
    QByteArray m_hostProgramDir;
    AppObject m_app;
    LinuxRegistry m_registry;
    LinuxLauncher m_launcher;
    LinuxScheduler m_scheduler;
    LinuxNotifier m_notifier;
};

} // namespace qel
