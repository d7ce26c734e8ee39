#pragma once

#include "platform/Launcher.h"

namespace qel {

class Drives;

// Finds files and starts programs on the host, through the drive table.
// Programs start detached in their own session, without a shell, with the
// host path as their only argument (argv[0]); they are never waited for.
class LinuxLauncher final : public Launcher {
public:
    explicit LinuxLauncher(const Drives& drives);

    QString findFile(const QString& path) override;
    // Besides the Launcher's errors: 53 for empty text or a path that is not
    // an absolute DOS path, 75 when the host refuses to run it.
    void startProgram(const QString& path) override;

private:
    const Drives& m_drives;
};

} // namespace qel
