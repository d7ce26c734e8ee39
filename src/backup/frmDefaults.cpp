#include "backup/frmDefaults.h"

#include "controls/AccessibleLabel.h"
#include "controls/FormLayout.h"
#include "controls/Pictures.h"

#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qel {

namespace {

template <typename W> W* newControl(QWidget* parent, const char* name, const QRect& geometry) {
    return place(new W(parent), name, geometry);
}

} // namespace

frmDefaults::frmDefaults() {
    setObjectName(QStringLiteral("frmDefaults"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("QEL Trekkel Defaults"));
    setWindowIcon(QIcon(picturePath("icons/qel-trekkel")));
    resize(twipsRect(0, 0, 9915, 4065).size());
    setProperty("HelpContextID", 1);
    // The layout is measured for the classic 8.25 pt dialog font.
    setFont(classicFont(8.25));
    keepCaptionsWhole(this);
    setProperty("Tag", QStringLiteral(
                           "Enter defaults here that save time while the program runs, for example "
                           "copying the QEL main program only into the root directory of the "
                           "destination disk instead of into every directory on it, to save space "
                           "on that disk."));

    // Created back to front, as the window stacks its controls.
    m_Txt_Backupdrivedefault =
        newControl<QLineEdit>(this, "Txt_Backupdrivedefault", twipsRect(2400, 720, 735, 285));
    m_Txt_Backupdrivedefault->setText(QStringLiteral("a:"));
    m_Txt_Backupdrivedefault->setAccessibleDescription(
        QStringLiteral("Be sure to add the colon after the drive letter!"));

    m_Txt_filelist =
        newControl<QPlainTextEdit>(this, "Txt_filelist", twipsRect(2400, 1800, 6855, 1575));
    m_Txt_filelist->setPlainText(QStringLiteral(".HST\n.CVD\n.CVT\n.XPT\n"));
    m_Txt_filelist->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_Txt_filelist->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_Txt_filelist->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_Txt_filelist->setEnabled(false);
    m_Txt_filelist->setProperty("HelpContextID", 410);

    m_Text1 = newControl<QLineEdit>(this, "Text1", twipsRect(2400, 1200, 6855, 285));
    m_Text1->setText(QStringLiteral("Text1"));
    m_Text1->setEnabled(false);

    m_chk_QELmainonce =
        newControl<QCheckBox>(this, "chk_QELmainonce", twipsRect(120, 120, 3855, 495));
    m_chk_QELmainonce->setText(QStringLiteral("Copy QEL main program to destination only once"));
    // Ticked: the backup run does copy the main program only once, into the
    // destination's root, so the box tells the truth when it opens.
    m_chk_QELmainonce->setChecked(true);

    m_cmdExitDefaults =
        newControl<QPushButton>(this, "cmdExitDefaults", twipsRect(120, 3600, 1455, 375));
    m_cmdExitDefaults->setText(QStringLiteral("Save and Exit"));
    m_cmdExitDefaults->setAutoDefault(false);
    m_cmdExitDefaults->setDefault(false);

    m_Label5x = makeLabel(this, "Label5x",
                          QStringLiteral("Copyright \u00a9 1998 Fairmoss Investment Management"),
                          twipsRect(1800, 3600, 5415, 255));
    m_Label5x->setFont(classicFont(8.25, true, true));
    QPalette red = m_Label5x->palette();
    red.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    m_Label5x->setPalette(red);
    m_Label5x->setVisible(false);

    m_Label4 = makeLabel(this, "Label4",
                         QStringLiteral("Be sure to add the colon after the drive letter!"),
                         twipsRect(3480, 720, 3735, 255));
    // The toolkit's nearest to the active title bar's colour.
    QPalette caption = m_Label4->palette();
    caption.setColor(QPalette::WindowText, palette().color(QPalette::Active, QPalette::Highlight));
    m_Label4->setPalette(caption);

    m_Label3 = makeLabel(this, "Label3", QStringLiteral("Backup to drive"),
                         twipsRect(120, 720, 1815, 255));
    m_Label2 = makeLabel(this, "Label2", QStringLiteral("List of files to always backup"),
                         twipsRect(120, 1800, 2055, 255));
    m_Label2->setEnabled(false);
    m_Label1 = makeLabel(this, "Label1", QStringLiteral("Default backup directory?"),
                         twipsRect(120, 1200, 2175, 255));
    m_Label1->setEnabled(false);

    // A screen reader reads each text box by the label beside it.
    describeBy(m_Label3, m_Txt_Backupdrivedefault);
    describeBy(m_Label1, m_Text1);
    describeBy(m_Label2, m_Txt_filelist);

    // Only the three live controls take the focus, in this order.
    m_Txt_filelist->setFocusPolicy(Qt::NoFocus);
    m_Text1->setFocusPolicy(Qt::NoFocus);
    setTabOrder(m_cmdExitDefaults, m_chk_QELmainonce);
    setTabOrder(m_chk_QELmainonce, m_Txt_Backupdrivedefault);
    m_cmdExitDefaults->setFocus();

    connect(m_cmdExitDefaults, &QPushButton::clicked, this, &frmDefaults::cmdExitDefaults_Click);
}

void frmDefaults::cmdExitDefaults_Click() {
    hide();
}

} // namespace qel
