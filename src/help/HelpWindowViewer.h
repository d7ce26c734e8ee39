#pragma once

#include "help/HelpWindow.h"
#include "platform/HelpViewer.h"

#include <QPointer>

namespace qel {

class Drives;

// The help viewer over the program's own help window: one window, created
// on first use and reused. The help file is a DOS path: inside the program's
// folder (programDir, held at hostProgramDir) it is found there, whatever the
// drive table holds; elsewhere it is mapped through the drive table. Whatever
// goes wrong in reading it is shown inside the window.
class HelpWindowViewer final : public HelpViewer {
public:
    explicit HelpWindowViewer(const Drives& drives, QString programDir = {},
                              QByteArray hostProgramDir = {});
    ~HelpWindowViewer() override;

    HelpWindowViewer(const HelpWindowViewer&) = delete;
    HelpWindowViewer& operator=(const HelpWindowViewer&) = delete;

    void showContents(WindowHandle owner, const QString& helpFile) override;
    void showTopic(WindowHandle owner, const QString& helpFile, int contextId) override;
    void quit(WindowHandle owner, const QString& helpFile) override;

    // The window once made (hidden again by quit or its close box), else nullptr.
    HelpWindow* window() const { return m_window.data(); }

private:
    HelpWindow& open(const QString& helpFile);
    QByteArray hostPathOf(const QString& helpFile) const;

    const Drives& m_drives;
    QString m_programDir;
    QByteArray m_hostProgramDir;
    QPointer<HelpWindow> m_window;
};

} // namespace qel
