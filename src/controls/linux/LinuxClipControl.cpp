#include "controls/linux/LinuxClipControl.h"

#include "controls/linux/AviDecoder.h"
#include "platform/Drives.h"
#include "platform/Error.h"

#include <QPainter>

namespace qel {

namespace {
constexpr int InvalidProcedureCall = 5;
}

LinuxClipControl::LinuxClipControl(const Drives& drives, QWidget* parent)
    : ClipControl(parent)
    , m_drives(drives) {
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LinuxClipControl::advance);
}

void LinuxClipControl::Open(const QString& path) {
    Close();
    DecodedClip clip = decodeClip(m_drives.toHostPath(path));
    m_frames = std::move(clip.frames);
    m_timer.setInterval(clip.frameIntervalMs);
    showFrame(0);
}

void LinuxClipControl::Play() {
    if (!isOpen())
        throw Error(InvalidProcedureCall, QStringLiteral("No clip is open"));
    showFrame(0);
    // A single picture has nothing to loop through.
    if (m_frames.size() > 1)
        m_timer.start();
}

void LinuxClipControl::Stop() {
    m_timer.stop();
}

void LinuxClipControl::Close() {
    m_timer.stop();
    m_frames.clear();
    m_current = 0;
    update();
}

void LinuxClipControl::paintEvent(QPaintEvent*) {
    if (!isOpen())
        return;
    // A frame larger than the strip is cut evenly on both sides.
    const QImage& frame = m_frames.at(m_current);
    const QPoint topLeft((width() - frame.width()) / 2, (height() - frame.height()) / 2);
    QPainter(this).drawImage(topLeft, frame);
}

void LinuxClipControl::showFrame(int index) {
    m_current = index;
    update();
    emit frameShown(index);
}

void LinuxClipControl::advance() {
    showFrame((m_current + 1) % int(m_frames.size()));
}

ClipControl* makeClipControl(const Drives& drives, QWidget* parent) {
    return new LinuxClipControl(drives, parent);
}

} // namespace qel
