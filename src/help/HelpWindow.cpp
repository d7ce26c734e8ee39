#include "help/HelpWindow.h"

#include "controls/Pictures.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace qel {

namespace {

// A help document is a few hundred kilobytes at most; anything far larger is
// not one, and reading it whole would only stall the window.
constexpr qint64 MaxDocumentBytes = 16 * 1024 * 1024;

} // namespace

// Serves the document from memory under one fixed address, so links inside
// it resolve to it and go into the history that Back walks.
class HelpWindow::Browser final : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    static QUrl documentUrl() { return QUrl(QStringLiteral("qelhelp:/qeltrkl.HLP")); }

    void showBytes(const QByteArray& bytes) {
        m_document = QString::fromUtf8(bytes);
        clearHistory();
        if (source() == documentUrl())
            reload();
        else
            setSource(documentUrl(), QTextDocument::HtmlResource);
    }

    QVariant loadResource(int type, const QUrl& name) override {
        if (name.adjusted(QUrl::RemoveFragment) == documentUrl())
            return m_document;
        // Anything else the document names relatively lies beside it on disk.
        if (name.scheme() == documentUrl().scheme() && m_folder.isValid())
            return QTextBrowser::loadResource(type, m_folder.resolved(QUrl(name.path().mid(1))));
        return QTextBrowser::loadResource(type, name);
    }

    void setFolder(const QUrl& folder) { m_folder = folder; }

private:
    QString m_document;
    QUrl m_folder;
};

bool hasAnchor(const QTextDocument& document, const QString& name) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.charFormat().anchorNames().contains(name))
            return true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(name))
                return true;
        }
    }
    return false;
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new Browser(this))
    , m_contents(new QPushButton(tr("&Contents"), this))
    , m_back(new QPushButton(tr("&Back"), this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("QEL Trekkel Help"));
    setWindowIcon(QIcon(picturePath("icons/qel-trekkel")));
    // An open help window never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(640, 560);

    m_browser->setObjectName(QStringLiteral("helpText"));
    m_browser->setAccessibleName(tr("Help text"));
    // Qt gives every link outside file: to the desktop to open, the
    // document's own ones too (its scheme is this window's): those are
    // followed here, anything else is the desktop's.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, m_browser,
            [browser = m_browser](const QUrl& url) {
                if (url.scheme() == Browser::documentUrl().scheme())
                    browser->setSource(url);
                else
                    QDesktopServices::openUrl(url);
            });
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_back->setObjectName(QStringLiteral("helpBack"));
    m_back->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_contents);
    buttons->addWidget(m_back);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(m_contents, &QPushButton::clicked, this, &HelpWindow::showTop);
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
}

bool HelpWindow::showDocument(const QString& dosPath, const QByteArray& hostPath) {
    const QString path = QFile::decodeName(hostPath);
    if (QFileInfo(path).isDir()) {
        showFailure(dosPath, tr("It is a folder, not a file."), path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showFailure(dosPath, file.errorString(), path, !file.exists());
        return false;
    }
    if (file.size() > MaxDocumentBytes) {
        showFailure(dosPath, tr("It is far too large to be a help document."), path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        showFailure(dosPath, file.errorString(), path);
        return false;
    }
    m_browser->setFolder(QUrl::fromLocalFile(QFileInfo(path).absolutePath() + '/'));
    m_browser->showBytes(bytes);
    showTop();
    return true;
}

void HelpWindow::showFailure(const QString& dosPath, const QString& reason, const QString& hostPath,
                             bool missing) {
    const QString where = hostPath.isEmpty()
                              ? QString()
                              : tr("<p>On this computer that is the file <tt>%1</tt>.</p>")
                                    .arg(hostPath.toHtmlEscaped());
    m_browser->clearHistory();
    m_browser->setHtml(
        tr("<h2>QEL Trekkel Help</h2>"
           "<p style=\"color:#a00000\"><b>The help document %1 cannot be opened.</b></p>"
           "<p>Reason: %2</p>%3%4")
            .arg(dosPath.isEmpty() ? tr("(none)") : dosPath.toHtmlEscaped(), reason.toHtmlEscaped(),
                 where,
                 missing ? tr("<p>The help document <i>qeltrkl.HLP</i> belongs in the program's "
                              "folder. Installing the program again puts it back.</p>")
                         : QString()));
}

QTextBrowser* HelpWindow::browser() const {
    return m_browser;
}

bool HelpWindow::showTopic(int contextId) {
    const QString anchor = QStringLiteral("ctx%1").arg(contextId);
    if (!hasAnchor(*m_browser->document(), anchor)) {
        showTop();
        return false;
    }
    m_browser->scrollToAnchor(anchor);
    return true;
}

void HelpWindow::showTop() {
    m_browser->verticalScrollBar()->setValue(0);
    m_browser->horizontalScrollBar()->setValue(0);
}

} // namespace qel
