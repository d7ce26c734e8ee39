#include "app/frmSplash.h"

#include "controls/BorderOnly.h"
#include "controls/FormLayout.h"
#include "controls/Pictures.h"
#include "help/ContextHelp.h"
#include "help/ContextIDs.h"
#include "platform/AppObject.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

namespace qel {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  const QFont& font, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    auto* label = qel::makeLabel(parent, name, text, geometry);
    label->setFont(font);
    label->setAlignment(alignment);
    return label;
}

QLabel* makeFramedPicture(QWidget* parent, const char* name, QRect geometry,
                          const QString& resource) {
    auto* picture = makePicture(parent, name, geometry, QPixmap(resource));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return picture;
}

} // namespace

frmSplash::frmSplash(const AppObject& app, ContextIDs& contextIDs)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint)
    , m_app(app)
    , m_contextIDs(contextIDs) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QString());
    // No title bar text, but a screen reader still names the window.
    setAccessibleName(m_app.Title());
    setFixedSize(twips(7455), twips(4710));
    setProperty("HelpContextID", 4);
    setFont(classicFont(8.25));
    // Closing the splash must never count as the program's last window closing.
    setAttribute(Qt::WA_QuitOnClose, false);
    keepCaptionsWhole(this);

    m_fraMainFrame = new QGroupBox(this);
    m_fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    m_fraMainFrame->setGeometry(twipsRect(120, 0, 7380, 4590));
    m_fraMainFrame->setProperty("HelpContextID", 110);

    QWidget* frame = m_fraMainFrame;
    m_Picture2 = makeFramedPicture(frame, "Picture2", twipsRect(120, 960, 2775, 1695),
                                   picturePath("pictures/chart"));
    m_Picture1 = makeFramedPicture(frame, "Picture1", twipsRect(240, 3600, 930, 855),
                                   picturePath("pictures/puzzle"));
    m_Picture2->setAccessibleName(QStringLiteral("Rising line chart"));
    m_Picture1->setAccessibleName(QStringLiteral("Puzzle pieces"));
    m_lblCompanyProduct = makeLabel(frame, "lblCompanyProduct", QStringLiteral("CompanyProduct"),
                                    twipsRect(3000, 765, 3000, 435), classicFont(18, true));
    m_lblProductName = makeLabel(frame, "lblProductName", QStringLiteral("Product"),
                                 twipsRect(3240, 1200, 2190, 720), classicFont(29.25, true));
    m_lblPlatform = makeLabel(frame, "lblPlatform", QStringLiteral("Windows Platform"),
                              twipsRect(4500, 2400, 2505, 360), classicFont(13.5, true),
                              Qt::AlignRight | Qt::AlignTop);
    m_lblVersion =
        makeLabel(frame, "lblVersion", QStringLiteral("Version"), twipsRect(6075, 2760, 930, 300),
                  classicFont(12, true), Qt::AlignRight | Qt::AlignTop);
    m_Label1 = makeLabel(frame, "Label1",
                         QStringLiteral("Copyright \u00A9 QEL Trekkel. All rights reserved."),
                         twipsRect(1200, 3840, 4365, 465), font());
    m_Label1->setWordWrap(true);
    m_Label1->setToolTip(QStringLiteral("Owner of the software"));

    for (QLabel* label : {m_lblCompanyProduct, m_lblProductName, m_lblPlatform, m_lblVersion})
        fitToText(label);

    // Centred on the screen the window will appear on.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frameRect(QPoint(), size());
        frameRect.moveCenter(screen->availableGeometry().center());
        move(frameRect.topLeft());
    }
}

void frmSplash::Form_Load() {
    m_contextIDs.SetHelpFile(qel::windowHandle(this));
    m_lblVersion->setText(versionLine(m_app));
    fitToText(m_lblVersion);
    m_lblProductName->setText(m_app.Title());
    fitToText(m_lblProductName);
}

void frmSplash::unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_UnLoad();
    m_unloading = true;
    close();
}

void frmSplash::Form_UnLoad() {
    m_contextIDs.QuitHelp();
}

void frmSplash::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // An empty caption on a fixed dialog border: no title bar at all, as the
    // layout's frame shows it, and no name for the window manager to list.
    showBorderOnly(*this);
}

void frmSplash::closeEvent(QCloseEvent* event) {
    // Only start-up takes the splash away.
    if (m_unloading)
        event->accept();
    else
        event->ignore();
}

} // namespace qel
