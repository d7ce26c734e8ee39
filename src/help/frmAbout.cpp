#include "help/frmAbout.h"

#include "controls/FormLayout.h"
#include "controls/Pictures.h"
#include "help/SysInfo.h"
#include "platform/AppObject.h"
#include "platform/Services.h"

#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qel {

namespace {

const QString kSupportAddress = QStringLiteral("qel-support@fairmoss-invest.example");
const QString kWebPage = QStringLiteral("http://www.fairmoss-invest.example/qel");

template <typename W>
W* newControl(QWidget* parent, const char* name, const QRect& geometry,
              const char* toolTip = nullptr) {
    auto* w = place(new W(parent), name, geometry);
    if (toolTip)
        w->setToolTip(QString::fromUtf8(toolTip));
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QRect& geometry, const char* toolTip,
              const QString& text = {}) {
    auto* l = makeLabel(parent, name, text, geometry);
    l->setToolTip(QString::fromUtf8(toolTip));
    QPalette black = l->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(black);
    return l;
}

// Picture boxes take the focus, as the keyboard order says.
QLabel* picture(QWidget* parent, const char* name, const QRect& geometry, const QPixmap& pixmap) {
    auto* p = makePicture(parent, name, geometry, pixmap);
    p->setFocusPolicy(Qt::StrongFocus);
    return p;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry, const char* toolTip = nullptr) {
    return makeButton(parent, name, caption, geometry,
                      toolTip ? QString::fromUtf8(toolTip) : QString());
}

void setBackground(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}

} // namespace

frmAbout::frmAbout(Services& services, QWidget* owner)
    : m_services(services)
    , m_owner(owner) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(
        QStringLiteral("About QEL_Trekkel (from Fairmoss Investment Management Program)"));
    setFixedSize(twips(5730), twips(5040));
    setProperty("HelpContextID", 3);
    // The layout is measured for the classic 8.25 pt dialog font.
    setFont(classicFont(8.25));
    keepCaptionsWhole(this);

    m_Picture2 = picture(this, "Picture2", twipsRect(360, 240, 495, 495),
                         QIcon(picturePath("icons/qel-trekkel")).pixmap(32, 32));
    m_Picture2->setAccessibleName(QStringLiteral("Program icon"));

    m_lblTitle = label(this, "lblTitle", twipsRect(1200, 240, 3885, 360),
                       "This is the name of the software");
    m_lblTitle->setFont(classicFont(8.25, true));

    m_lblVersion = label(this, "lblVersion", twipsRect(1200, 600, 4125, 225),
                         "This is the version of the software.");

    m_Picture1 = picture(this, "Picture1", twipsRect(120, 1080, 930, 855),
                         QPixmap(picturePath("pictures/puzzle")));
    m_Picture1->setAccessibleName(QStringLiteral("Puzzle pieces"));

    m_Label1 = label(this, "Label1", twipsRect(1200, 1200, 4365, 465), "Owner of the software",
                     QStringLiteral("Copyright \u00a9 1998 Fairmoss Investment Management. "
                                    "All rights reserved."));
    m_Label1->setWordWrap(true);

    m_lblLicensedUser =
        newControl<QPlainTextEdit>(this, "lblLicensedUser", twipsRect(1200, 2280, 3975, 1095),
                                   "Licensed user of the software.");
    m_lblLicensedUser->setPlainText(QStringLiteral("Licensed User"));
    m_lblLicensedUser->setAccessibleName(QStringLiteral("Licensed user"));
    m_lblLicensedUser->setEnabled(false);
    m_lblLicensedUser->setFocusPolicy(Qt::StrongFocus);
    m_lblLicensedUser->setTabChangesFocus(true);
    // The toolkit has no active-border colour; this is its classic light grey.
    setBackground(m_lblLicensedUser, activeBorderColour());

    m_Line1 = newControl<QFrame>(this, "Line1",
                                 QRect(twips(240), twips(3480) - 1, twips(5450) - twips(240), 2));
    m_Line1->setProperty("Index", 0);
    m_Line1->setAutoFillBackground(true);
    QPalette white = m_Line1->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_Line1->setPalette(white);

    m_lblDisclaimer = label(
        this, "lblDisclaimer", twipsRect(240, 3600, 3870, 1425), "Copyright warning",
        QStringLiteral("Warning: QEL Trekkel is protected by copyright law and international "
                       "treaties. Anyone who reproduces or distributes it, or any part of it, "
                       "without authorisation will be prosecuted to the full extent of the law."));
    m_lblDisclaimer->setWordWrap(true);

    m_cmdOK = button(this, "cmdOK", QStringLiteral("OK"), twipsRect(4320, 3600, 1260, 345));
    m_cmdSysInfo = button(this, "cmdSysInfo", QStringLiteral("&System Info..."),
                          twipsRect(4320, 4080, 1245, 345), "Information about your system.");
    m_CmdTechSup = button(this, "CmdTechSup", QStringLiteral("&Tech Support..."),
                          twipsRect(4320, 4560, 1260, 345), "For help with problems...");

    setTabOrder(m_cmdOK, m_cmdSysInfo);
    setTabOrder(m_cmdSysInfo, m_lblLicensedUser);
    setTabOrder(m_lblLicensedUser, m_Picture1);
    setTabOrder(m_Picture1, m_Picture2);
    setTabOrder(m_Picture2, m_CmdTechSup);
    m_cmdOK->setFocus();

    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    connect(m_CmdTechSup, &QPushButton::clicked, this, &frmAbout::CmdTechSup_Click);

    Form_Load();
}

void frmAbout::Form_Load() {
    m_lblVersion->setText(versionLine(m_services.app));
    m_lblTitle->setText(m_services.app.Title());
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo(m_services.registry, m_services.launcher, m_services.dialogs);
}

void frmAbout::CmdTechSup_Click() {
    m_lblLicensedUser->setEnabled(true);
    m_lblLicensedUser->setPlainText(QStringLiteral("Send all questions / comments to:") +
                                    QString(7, QLatin1Char(' ')) + kSupportAddress +
                                    QString(16, QLatin1Char(' ')) +
                                    QStringLiteral("OR visit our Web Page at ") + kWebPage);
    setBackground(m_lblLicensedUser, QColor(255, 255, 0));
    QFont bold = m_lblLicensedUser->font();
    bold.setBold(true);
    m_lblLicensedUser->setFont(bold);
}

void frmAbout::showEvent(QShowEvent* event) {
    if (!m_placed && m_owner) {
        m_placed = true;
        move(m_owner->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    QWidget::showEvent(event);
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // Enter presses the button that has the focus, Esc closes the dialog.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* b = qobject_cast<QPushButton*>(focusWidget())) {
            b->click();
            return;
        }
        break;
    case Qt::Key_Escape:
        cmdOK_Click();
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

} // namespace qel
