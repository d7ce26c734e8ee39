#pragma once

#include "backup/ProgressWindow.h"
#include "platform/Controls.h"

#include <QStringList>

namespace qel::test {

// An animation control that records its calls into a shared log and fails
// Open or Play with a chosen error number (0 = succeed).
class FakeAnimation final : public Animation {
public:
    explicit FakeAnimation(QStringList& log)
        : m_log(log) {}

    int failOpen = 0;
    int failPlay = 0;

    bool isOpen() const { return m_open; }
    bool isPlaying() const { return m_playing; }
    // What unloading the window does to its control: no clip, nothing logged.
    void reset() { m_open = m_playing = false; }

    void Open(const QString& path) override;
    void Play() override;
    void Stop() override;
    void Close() override;

private:
    QStringList& m_log;
    bool m_open = false;
    bool m_playing = false;
};

// A progress window that keeps what a real one shows and logs every call in
// order: "show", "source:<text>", "dest:<text>", "progress:<n>", "unload", and
// the animation's "Open:<path>", "Play", "Stop", "Close".
class FakeProgressWindow final : public ProgressWindow {
public:
    FakeProgressWindow()
        : m_animation(log) {}

    QStringList log;

    bool isShown() const { return m_shown; }
    const QString& sourceLine() const { return m_source; }
    const QString& destinationLine() const { return m_destination; }
    int progress() const { return m_progress; }
    FakeAnimation& fakeAnimation() { return m_animation; }
    // The log entries that start with prefix, in order, prefix removed.
    QStringList entries(const QString& prefix) const;

    void show() override;
    void setSourceLine(const QString& text) override;
    void setDestinationLine(const QString& text) override;
    void setProgress(int value) override;
    Animation& animation() override { return m_animation; }
    void unload() override;

private:
    FakeAnimation m_animation;
    bool m_shown = false;
    QString m_source = QStringLiteral(" ");
    QString m_destination = QStringLiteral(" ");
    int m_progress = 0;
};

} // namespace qel::test
