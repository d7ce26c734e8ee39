#include "backup/frmBackup.h"

#include "controls/FormLayout.h"
#include "platform/DisplayText.h"
#include "platform/Error.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>

namespace qel {

namespace {

constexpr int InvalidPropertyValue = 380;
const QString BlankLine = QStringLiteral(" ");

} // namespace

class BackupWindow final : public QWidget {
public:
    BackupWindow(const Drives& drives, QWidget* owner)
        : QWidget(owner) {
        setObjectName(QStringLiteral("frmBackup"));
        setWindowTitle(QStringLiteral("QEL_Trekkel Backup"));
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
        setFixedSize(twipsRect(0, 0, 6300, 2760).size());
        setFont(classicFont(8.25));
        keepCaptionsWhole(this);
        // The main window alone decides when the program ends.
        setAttribute(Qt::WA_QuitOnClose, false);

        // Created back to front, in the layout's stored order.
        Text2 = makeLine(QStringLiteral("Text2"), twipsRect(120, 2040, 5895, 255));
        Text2->setAccessibleName(QStringLiteral("Copying to"));

        prgFileCopy = new QProgressBar(this);
        prgFileCopy->setObjectName(QStringLiteral("prgFileCopy"));
        prgFileCopy->setGeometry(twipsRect(360, 960, 5295, 255));
        prgFileCopy->setRange(0, 100);
        prgFileCopy->setValue(0);
        prgFileCopy->setTextVisible(false);
        prgFileCopy->setFocusPolicy(Qt::NoFocus);
        prgFileCopy->setAccessibleName(QStringLiteral("Backup progress"));

        Text1 = makeLine(QStringLiteral("Text1"), twipsRect(240, 1560, 5895, 255));
        Text1->setAccessibleName(QStringLiteral("Copying from"));

        Animation1 = makeClipControl(drives, this);
        Animation1->setObjectName(QStringLiteral("Animation1"));
        Animation1->setGeometry(twipsRect(360, 120, 5295, 495));
        Animation1->setAccessibleName(QStringLiteral("Copy animation"));
        // The tab order (Animation1, Text1, prgFileCopy, Text2) has nothing to
        // order: only the two lines take focus, and neither by the Tab key.
    }

    void reset() {
        Animation1->Close();
        Text1->setText(BlankLine);
        Text2->setText(BlankLine);
        prgFileCopy->setValue(0);
    }

    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QProgressBar* prgFileCopy = nullptr;
    ClipControl* Animation1 = nullptr;

protected:
    // The run owns this window: the close box cannot take it away mid-copy.
    // A close the program itself asks for (at exit) only hides it.
    void closeEvent(QCloseEvent* event) override {
        if (event->spontaneous())
            event->ignore();
        else
            event->accept();
    }

private:
    QLineEdit* makeLine(const QString& name, const QRect& geometry) {
        auto* line = new QLineEdit(BlankLine, this);
        line->setObjectName(name);
        line->setGeometry(geometry);
        // Status lines: written by the run, never read back, so not editable
        // and not tab stops (a click still selects text for copying).
        line->setReadOnly(true);
        line->setFocusPolicy(Qt::ClickFocus);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        line->setPalette(palette);
        return line;
    }
};

frmBackup::frmBackup(const Drives& drives, QWidget* owner)
    : m_drives(drives)
    , m_owner(owner) {}

frmBackup::~frmBackup() = default;

BackupWindow& frmBackup::load() {
    if (!m_window)
        m_window = std::make_unique<BackupWindow>(m_drives, m_owner);
    if (!m_loaded) {
        m_window->reset();
        m_loaded = true;
        m_centrePending = true;
    }
    return *m_window;
}

void frmBackup::show() {
    BackupWindow& window = load();
    window.show();
    // Placed once per load, after showing, when the frame's size is known.
    if (m_centrePending) {
        m_centrePending = false;
        if (const QScreen* screen = window.screen()) {
            QRect frame = window.frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window.move(frame.topLeft());
        }
    }
    window.raise();
    window.activateWindow();
}

void frmBackup::setSourceLine(const QString& text) {
    load().Text1->setText(displayText(text));
}

void frmBackup::setDestinationLine(const QString& text) {
    load().Text2->setText(displayText(text));
}

void frmBackup::setProgress(int value) {
    if (value < 0 || value > 100)
        throw Error(InvalidPropertyValue, QStringLiteral("Invalid property value"));
    load().prgFileCopy->setValue(value);
}

ClipControl& frmBackup::animation() {
    return *load().Animation1;
}

void frmBackup::unload() {
    if (!m_loaded)
        return;
    m_window->hide();
    m_window->reset();
    m_loaded = false;
}

QWidget* frmBackup::window() const {
    return m_loaded ? m_window.get() : nullptr;
}

} // namespace qel
