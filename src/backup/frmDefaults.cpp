#include "backup/frmDefaults.h"

#include "app/ClassicFont.h"

#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qel {

namespace {

// The layout is given in twips; 15 twips make one pixel at 96 dpi.
QRect twips(int left, int top, int width, int height) {
    const auto px = [](int t) { return qRound(t / 15.0); };
    return {px(left), px(top), px(width), px(height)};
}

template <typename W> W* place(QWidget* parent, const char* name, const QRect& geometry) {
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(geometry);
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* l = place<QLabel>(parent, name, geometry);
    l->setText(text);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

frmDefaults::frmDefaults() {
    setObjectName(QStringLiteral("frmDefaults"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("QEL Trekkel Defaults"));
    setWindowIcon(QIcon(QStringLiteral(":/qel/icons/qel-trekkel.svg")));
    resize(twips(0, 0, 9915, 4065).size());
    setProperty("HelpContextID", 1);
    // The layout is measured for the classic 8.25 pt dialog font.
    setFont(classicFont(8.25));
    setProperty("Tag", QStringLiteral(
                           "Enter defaults here that save time while the program runs, for example "
                           "copying the QEL main program only into the root directory of the "
                           "destination disk instead of into every directory on it, to save space "
                           "on that disk."));

    // Created back to front, as the window stacks its controls.
    m_Txt_Backupdrivedefault =
        place<QLineEdit>(this, "Txt_Backupdrivedefault", twips(2400, 720, 735, 285));
    m_Txt_Backupdrivedefault->setText(QStringLiteral("a:"));

    m_Txt_filelist = place<QPlainTextEdit>(this, "Txt_filelist", twips(2400, 1800, 6855, 1575));
    m_Txt_filelist->setPlainText(QStringLiteral(".HST\n.CVD\n.CVT\n.XPT\n"));
    m_Txt_filelist->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_Txt_filelist->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_Txt_filelist->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_Txt_filelist->setEnabled(false);
    m_Txt_filelist->setProperty("HelpContextID", 410);

    m_Text1 = place<QLineEdit>(this, "Text1", twips(2400, 1200, 6855, 285));
    m_Text1->setText(QStringLiteral("Text1"));
    m_Text1->setEnabled(false);

    m_chk_QELmainonce = place<QCheckBox>(this, "chk_QELmainonce", twips(120, 120, 3855, 495));
    m_chk_QELmainonce->setText(QStringLiteral("Copy QEL main program to destination only once"));
    // Ticked: the backup run does copy the main program only once, into the
    // destination's root, so the box tells the truth when it opens.
    m_chk_QELmainonce->setChecked(true);

    m_cmdExitDefaults = place<QPushButton>(this, "cmdExitDefaults", twips(120, 3600, 1455, 375));
    m_cmdExitDefaults->setText(QStringLiteral("Save and Exit"));
    m_cmdExitDefaults->setAutoDefault(false);
    m_cmdExitDefaults->setDefault(false);

    m_Label5x = label(this, "Label5x",
                      QStringLiteral("Copyright \u00a9 1998 Fairmoss Investment Management"),
                      twips(1800, 3600, 5415, 255));
    m_Label5x->setFont(classicFont(8.25, true, true));
    QPalette red = m_Label5x->palette();
    red.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    m_Label5x->setPalette(red);
    m_Label5x->setVisible(false);

    m_Label4 =
        label(this, "Label4", QStringLiteral("Be sure to add the colon after the drive letter!"),
              twips(3480, 720, 3735, 255));
    // The toolkit's nearest to the active title bar's colour.
    QPalette caption = m_Label4->palette();
    caption.setColor(QPalette::WindowText, palette().color(QPalette::Active, QPalette::Highlight));
    m_Label4->setPalette(caption);

    m_Label3 = label(this, "Label3", QStringLiteral("Backup to drive"), twips(120, 720, 1815, 255));
    m_Label2 = label(this, "Label2", QStringLiteral("List of files to always backup"),
                     twips(120, 1800, 2055, 255));
    m_Label2->setEnabled(false);
    m_Label1 = label(this, "Label1", QStringLiteral("Default backup directory?"),
                     twips(120, 1200, 2175, 255));
    m_Label1->setEnabled(false);

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
