#pragma once

#include "controls/ClipControl.h"

#include <QImage>
#include <QList>
#include <QTimer>

namespace qel {

class Drives;

// Plays a silent clip in a strip of the window: the current frame is drawn
// centred over the control's back colour (button face).
class LinuxClipControl final : public ClipControl {
    Q_OBJECT
public:
    explicit LinuxClipControl(const Drives& drives, QWidget* parent = nullptr);

    // Closes any open clip first; after a failure no clip is open. Throws
    // Error 68 when the drive is not ready, 53 missing, 70 not readable, 75
    // not a file, 321 not a silent AVI clip (another format, damaged, no
    // video or a sound track).
    void Open(const QString& path) override;
    // From the first frame, looping until Stop. Throws Error 5 without a clip.
    void Play() override;
    void Stop() override;
    void Close() override;

    bool isOpen() const { return !m_frames.isEmpty(); }
    bool isPlaying() const { return m_timer.isActive(); }
    int frameCount() const { return int(m_frames.size()); }
    // The frame on show, -1 when no clip is open.
    int currentFrame() const { return isOpen() ? m_current : -1; }
    int frameIntervalMs() const { return m_timer.interval(); }

signals:
    // A new frame is on show (after Open, Play or a step of the loop).
    void frameShown(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showFrame(int index);
    void advance();

    const Drives& m_drives;
    QList<QImage> m_frames;
    int m_current = 0;
    QTimer m_timer;
};

} // namespace qel
