#include "app/ProgramRun.h"

#include "app/FrmMain.h"
#include "app/Module1.h"
#include "controls/AccessibleRoles.h"
#include "controls/Pictures.h"
#include "help/ContextHelp.h"
#include "platform/AppObject.h"
#include "platform/Error.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace qel {

void ProgramRun::describeApplication() {
    nameApplication();
    QApplication::setDesktopFileName(QStringLiteral("qel-trekkel"));
    QApplication::setWindowIcon(QIcon(picturePath("icons/qel-trekkel")));
    installAccessibleRoles();
}

ProgramRun::ProgramRun(Platform& platform)
    : m_dialogs(platform.app())
    , m_help(platform.drives(), platform.app().Path(), platform.hostProgramDirectory())
    , m_record(defaultRunRecordPath())
    , m_services(platform.services(m_dialogs, m_record))
    , m_module1(std::make_unique<Module1>(m_services, m_help)) {
    installContextHelp(*qApp, m_help, platform.app());
}

ProgramRun::~ProgramRun() {
    m_module1.reset();
    // Windows without an owner that are still loaded when the event loop ends
    // (a hidden defaults window, the help window).
    QList<QPointer<QWidget>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (!widget->parentWidget())
            windows << widget;
    for (const QPointer<QWidget>& window : windows)
        delete window.data();
}

void ProgramRun::drivesChanged() {
    if (FrmMain* form = m_module1 ? m_module1->MainForm() : nullptr)
        form->refreshDrives();
}

int ProgramRun::exec(const std::function<void()>& afterMain) {
    try {
        m_module1->Main();
        if (afterMain)
            afterMain();
        // A check that the installed program starts: leave once the main
        // window is up, saying so.
        if (qgetenv("QEL_TREKKEL_SMOKE_RUN") == "1")
            QTimer::singleShot(0, qApp, [this]() {
                const FrmMain* window = m_module1->MainForm();
                if (!window || !window->isVisible())
                    return QApplication::exit(EXIT_FAILURE);
                std::printf("QEL_Trekkel: shown: %s\n", qPrintable(window->windowTitle()));
                std::fflush(stdout);
                QApplication::quit();
            });
        return QApplication::exec();
    } catch (const Error& e) {
        // Start-up handles no error itself: the user is told, and the program ends.
        m_dialogs.MsgBox(e.description(), BoxKind::Error, Icon::Critical, DefaultButton::First,
                         QString());
        return EXIT_FAILURE;
    }
}

} // namespace qel
