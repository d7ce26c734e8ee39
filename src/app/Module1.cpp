#include "app/Module1.h"

#include "app/FrmMain.h"
#include "app/frmSplash.h"
#include "platform/Services.h"

#include <QCoreApplication>

namespace qel {

Module1::Module1(Services& services, HelpViewer& help)
    : m_services(services)
    , m_help(help)
    , m_contextIDs(services.app, help) {}

Module1::~Module1() {
    // The main window normally deletes itself when closed; one still loaded
    // (the event loop never ran, or ended first) goes with the module.
    delete m_MainForm.data();
}

FrmMain* Module1::MainForm() const {
    return m_MainForm;
}

void Module1::Main() {
    if (!m_frmSplash) {
        m_frmSplash = std::make_unique<frmSplash>(m_services.app, m_contextIDs);
        m_frmSplash->Form_Load();
    }
    m_frmSplash->show();
    // Drawn now, before the slow work of loading the main window begins.
    m_frmSplash->repaint();
    QCoreApplication::processEvents();

    m_MainForm = new FrmMain(m_services, m_help);
    m_MainForm->Form_Load();

    m_frmSplash->unload();
    m_frmSplash.reset();

    m_MainForm->show();
}

} // namespace qel
