#include "help/ContextIDs.h"

#include "platform/AppObject.h"

namespace qel {

ContextIDs::ContextIDs(AppObject& app, HelpViewer& viewer)
    : m_app(app)
    , m_viewer(viewer) {}

void ContextIDs::SetHelpFile(WindowHandle owner) {
    m_helpOwnerWnd = owner;
    // The trimmed copy only decides the separator; the folder goes in as read.
    const QString dir = m_app.Path();
    const QString trimmed = dir.trimmed();
    const bool endsInSeparator = trimmed.endsWith(QLatin1Char('\\'));
    m_app.setHelpFile(
        dir + (endsInSeparator ? QStringLiteral("qeltrkl.HLP") : QStringLiteral("\\qeltrkl.HLP")));
}

void ContextIDs::QuitHelp() {
    m_viewer.quit(m_helpOwnerWnd, m_app.HelpFile());
}

} // namespace qel
