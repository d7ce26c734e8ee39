#include "cli/ConsoleDialogs.h"

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
