#include "FakeProgressWindow.h"

#include "platform/Error.h"

namespace qel::test {

void FakeAnimation::Open(const QString& path) {
    m_log << QStringLiteral("Open:") + path;
    if (failOpen)
        throw Error(failOpen);
    m_open = true;
}

void FakeAnimation::Play() {
    m_log << QStringLiteral("Play");
    if (failPlay)
        throw Error(failPlay);
    if (!m_open)
        throw Error(err::PathFileAccessError, QStringLiteral("No clip is open"));
    m_playing = true;
}

void FakeAnimation::Stop() {
    m_log << QStringLiteral("Stop");
    m_playing = false;
}

void FakeAnimation::Close() {
    m_log << QStringLiteral("Close");
    m_playing = false;
    m_open = false;
}

QStringList FakeProgressWindow::entries(const QString& prefix) const {
    QStringList out;
    for (const QString& e : log)
        if (e.startsWith(prefix))
            out << e.mid(prefix.size());
    return out;
}

void FakeProgressWindow::show() {
    log << QStringLiteral("show");
    m_shown = true;
}

void FakeProgressWindow::setSourceLine(const QString& text) {
    log << QStringLiteral("source:") + text;
    m_source = text;
}

void FakeProgressWindow::setDestinationLine(const QString& text) {
    log << QStringLiteral("dest:") + text;
    m_destination = text;
}

void FakeProgressWindow::setProgress(int value) {
    log << QStringLiteral("progress:%1").arg(value);
    m_progress = value;
}

void FakeProgressWindow::unload() {
    log << QStringLiteral("unload");
    // Like the real window: the next show starts from the layout again.
    m_animation.reset();
    m_shown = false;
    m_source = QStringLiteral(" ");
    m_destination = QStringLiteral(" ");
    m_progress = 0;
}

} // namespace qel::test
