#include "cli/ConsoleDialogs.h"

#include "platform/DisplayText.h"

#include <QCoreApplication>

namespace qel {

ConsoleDialogs::ConsoleDialogs(std::FILE* err)
    : m_err(err) {}

Answer ConsoleDialogs::MsgBox(const QString& text, BoxKind kind, Icon, DefaultButton,
                              const QString&) {
    std::fputs((displayText(text) + u'\n').toLocal8Bit().constData(), m_err);
    std::fflush(m_err);
    switch (kind) {
    case BoxKind::Notice:
    case BoxKind::Error:
    case BoxKind::FileNotFound: // the rest is backed up, as a person would let it
        return Answer::OK;
    case BoxKind::Confirmation: // the command line gave it
        return Answer::Yes;
    case BoxKind::Exit: // nobody asked to end anything
        return Answer::No;
    case BoxKind::DiskRequest: // OK or Retry would only ask again, for ever
    case BoxKind::DriveRetry:
        break;
    }
    return Answer::Cancel;
}

void ConsoleDialogs::DoEvents() {
    QCoreApplication::processEvents();
}

void ConsoleDialogs::runWithoutInput(const std::function<void()>& work) {
    work();
}

} // namespace qel
