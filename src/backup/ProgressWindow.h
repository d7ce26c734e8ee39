#pragma once

#include <QString>

namespace qel {

class Animation;

// The progress window as the backup run drives it. frmBackup implements it;
// tests use a fake.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;

    // Creates the window when needed (blank lines, bar at 0, no clip) and
    // shows it, not modal.
    virtual void show() = 0;
    // The source line (Text1) and the destination line (Text2).
    virtual void setSourceLine(const QString& text) = 0;
    virtual void setDestinationLine(const QString& text) = 0;
    // prgFileCopy's Value, 0 to 100.
    virtual void setProgress(int value) = 0;
    // Animation1 of the shown window.
    virtual Animation& animation() = 0;
    // Takes the window off screen and discards it; the next show starts blank.
    virtual void unload() = 0;
};

} // namespace qel
