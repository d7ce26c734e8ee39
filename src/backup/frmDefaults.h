#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qel {

// The defaults window: shows and edits the values a backup is meant to start
// from for as long as it stays loaded. Nothing reads or saves them. It is an
// independent top-level window that deletes itself when its close box is
// used; "Save and Exit" only hides it, keeping its values.
class frmDefaults final : public QWidget {
    Q_OBJECT

public:
    frmDefaults();

    // Hides the window; it stays loaded with its values. Never fails.
    void cmdExitDefaults_Click();

private:
    QLineEdit* m_Txt_Backupdrivedefault = nullptr;
    QPlainTextEdit* m_Txt_filelist = nullptr;
    QLineEdit* m_Text1 = nullptr;
    QCheckBox* m_chk_QELmainonce = nullptr;
    QPushButton* m_cmdExitDefaults = nullptr;
    QLabel* m_Label5x = nullptr;
    QLabel* m_Label4 = nullptr;
    QLabel* m_Label3 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLabel* m_Label1 = nullptr;
};

} // namespace qel
