#pragma once

#include <QPointer>
#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qel {

struct Services;

// The About dialog: title, version, the maker's notices, and the buttons OK,
// System Info and Tech Support. Modeless and without a parent, so it outlives
// the main window; it deletes itself when closed. The owner only places it:
// the first time it is shown it is centred on the owner.
class frmAbout final : public QWidget {
    Q_OBJECT

public:
    frmAbout(Services& services, QWidget* owner);

    // Unloads the dialog. Never fails.
    void cmdOK_Click();
    // Starts the system-information tool or says it is unavailable. Never fails.
    void cmdSysInfo_Click();
    // Shows the support message, enabled, bold on yellow; again changes nothing.
    void CmdTechSup_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();

    Services& m_services;
    QPointer<QWidget> m_owner;
    bool m_placed = false;

    QLabel* m_Picture2 = nullptr;
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_Picture1 = nullptr;
    QLabel* m_Label1 = nullptr;
    QPlainTextEdit* m_lblLicensedUser = nullptr;
    QFrame* m_Line1 = nullptr;
    QLabel* m_lblDisclaimer = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdSysInfo = nullptr;
    QPushButton* m_CmdTechSup = nullptr;
};

} // namespace qel
