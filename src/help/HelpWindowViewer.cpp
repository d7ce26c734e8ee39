#include "help/HelpWindowViewer.h"

#include "help/HelpWindow.h"
#include "platform/Drives.h"
#include "platform/Error.h"

namespace qel {

HelpWindowViewer::HelpWindowViewer(const Drives& drives)
    : m_drives(drives) {}

HelpWindowViewer::~HelpWindowViewer() {
    delete m_window.data();
}

HelpWindow& HelpWindowViewer::open(const QString& helpFile) {
    // Closing only hides the window, so no close can pull it away mid-call.
    if (!m_window)
        m_window = new HelpWindow;
    // Read afresh each time: the document may have been put back or removed.
    if (helpFile.isEmpty()) {
        m_window->showFailure(helpFile, QStringLiteral("No help document was named."));
    } else {
        try {
            m_window->showDocument(helpFile, m_drives.toHostPath(helpFile));
        } catch (const Error& e) {
            m_window->showFailure(helpFile, e.description());
        }
    }
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return *m_window;
}

void HelpWindowViewer::showContents(WindowHandle, const QString& helpFile) {
    open(helpFile).showTop();
}

void HelpWindowViewer::showTopic(WindowHandle, const QString& helpFile, int contextId) {
    open(helpFile).showTopic(contextId);
}

void HelpWindowViewer::quit(WindowHandle, const QString&) {
    if (m_window)
        m_window->close();
}

} // namespace qel
