#pragma once

#include "platform/Dialogs.h"

#include <QFont>

namespace qel {

class AppObject;

// The width a window needs for the window manager to show title whole beside
// its frame buttons, for a window whose font is font.
int titleWidthNeeded(const QString& title, const QFont& font);

// Message boxes through QMessageBox and event yields through the Qt event
// loop. Needs a QApplication; call from the user-interface thread only.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(const AppObject& app);

    // Application modal, over the active window when there is one. A box
    // whose window goes away while it is open answers as if escaped (Cancel,
    // No or OK) rather than leaving its caller without an answer.
    Answer MsgBox(const QString& text, BoxKind kind, Icon icon, DefaultButton defaultButton,
                  const QString& title) override;

    void DoEvents() override;

    // Timers and painting go on while work runs; key presses, clicks and
    // close requests wait until the next yield that takes input.
    void runWithoutInput(const std::function<void()>& work) override;

private:
    const AppObject& m_app;
    int m_openBoxes = 0;
};

} // namespace qel
