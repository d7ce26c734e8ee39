#include "help/HelpWindowViewer.h"

#include "help/HelpWindow.h"
#include "platform/DosNames.h"
#include "platform/DosPath.h"
#include "platform/Drives.h"
#include "platform/Error.h"

namespace qel {

HelpWindowViewer::HelpWindowViewer(const Drives& drives, QString programDir,
                                   QByteArray hostProgramDir)
    : m_drives(drives)
    , m_programDir(std::move(programDir))
    , m_hostProgramDir(std::move(hostProgramDir)) {}

QByteArray HelpWindowViewer::hostPathOf(const QString& helpFile) const {
    // The program knows where it lives; a drive table without that folder's
    // drive must not keep its own document from it.
    const auto file = DosPath::parse(helpFile);
    const auto folder = DosPath::parse(m_programDir);
    if (file && folder && !m_hostProgramDir.isEmpty() && file->drive == folder->drive &&
        file->components.size() > folder->components.size() &&
        file->components.mid(0, folder->components.size()) == folder->components) {
        QByteArray host = m_hostProgramDir;
        for (qsizetype i = folder->components.size(); i < file->components.size(); ++i)
            host += '/' + dosNameToHost(file->components[i]);
        return host;
    }
    return m_drives.toHostPath(helpFile);
}

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
            m_window->showDocument(helpFile, hostPathOf(helpFile));
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
