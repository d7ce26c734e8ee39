#include "cli/ConsoleDialogs.h"

#include "backup/BackupRun.h"
#include "platform/DisplayText.h"

#include <QCoreApplication>

namespace qel {

ConsoleDialogs::ConsoleDialogs(std::FILE* err)
    : m_err(err) {}

Answer ConsoleDialogs::MsgBox(const QString& text, Buttons buttons, Icon, DefaultButton,
                              const QString&) {
    std::fputs((displayText(text) + u'\n').toLocal8Bit().constData(), m_err);
    std::fflush(m_err);
    switch (buttons) {
    case Buttons::OK:
        return Answer::OK;
    case Buttons::YesNo:
        return Answer::Yes;
    case Buttons::OKCancel:
        // OK goes on past a pattern that matched nothing, as a person would
        // answer; to the request for a disk it would only ask again.
        return BackupRun::asksForDisk(text) ? Answer::Cancel : Answer::OK;
    case Buttons::RetryCancel:
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
