#pragma once

#include "platform/Launcher.h"

namespace qel {

class Drives;

// Finds files with GetFileAttributesW and starts programs with
// CreateProcessW in a normal window with the focus, never waited for.
class WindowsLauncher final : public Launcher {
public:
    explicit WindowsLauncher(const Drives& drives);

    QString findFile(const QString& path) override;
    // Besides the Launcher's errors: 53 for empty text or a path that is not
    // an absolute DOS path, 75 when the system refuses to run it.
    void startProgram(const QString& path) override;

private:
    const Drives& m_drives;
};

} // namespace qel
