#pragma once

#include "backup/ProgressWindow.h"
#include "controls/ClipControl.h"

#include <memory>

class QWidget;

namespace qel {

class BackupWindow;
class Drives;

// The progress window of a backup run. One object for the whole program,
// owned by the main window. Its widget is built on first use and kept, and
// unloading resets it to the layout's initial state, so references the run
// holds (the animation) never dangle, even when a run nested in another
// unloads the window. With an owner window the progress window stays above
// it (still modeless), so a click on the owner never hides a running backup.
class frmBackup final : public ProgressWindow {
public:
    explicit frmBackup(const Drives& drives, QWidget* owner = nullptr);
    ~frmBackup() override;
    frmBackup(const frmBackup&) = delete;
    frmBackup& operator=(const frmBackup&) = delete;

    void show() override;
    void setSourceLine(const QString& text) override;
    void setDestinationLine(const QString& text) override;
    // Throws Error 380 for a value outside 0 to 100; the bar keeps its value.
    void setProgress(int value) override;
    ClipControl& animation() override;
    void unload() override;

    // The window while loaded, nullptr before first use and after unload.
    QWidget* window() const;

private:
    BackupWindow& load();

    const Drives& m_drives;
    QWidget* m_owner;
    std::unique_ptr<BackupWindow> m_window;
    bool m_loaded = false;
    bool m_centrePending = false;
};

} // namespace qel
