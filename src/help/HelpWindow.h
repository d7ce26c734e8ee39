#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

class QPushButton;
class QTextBrowser;
class QTextDocument;

namespace qel {

// The program's help window: the help document in a browser with Contents
// and Back buttons. A document that cannot be read is reported inside the
// window itself.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Reads and shows the HTML document at hostPath; on failure shows a page
    // saying that dosPath cannot be opened, and why. Returns whether it read.
    bool showDocument(const QString& dosPath, const QByteArray& hostPath);

    // Shows the page saying that dosPath cannot be opened because of reason,
    // naming the host file too when there is one; only a document that is
    // missing gets the advice to install the program again.
    void showFailure(const QString& dosPath, const QString& reason, const QString& hostPath = {},
                     bool missing = false);

    // Scrolls to the topic anchored "ctx<contextId>"; without such a topic
    // scrolls to the top and returns false.
    bool showTopic(int contextId);

    void showTop();

    QTextBrowser* browser() const;

private:
    class Browser;
    Browser* m_browser;
    QPushButton* m_contents;
    QPushButton* m_back;
};

// Whether the document holds an anchor of that name.
bool hasAnchor(const QTextDocument& document, const QString& name);

} // namespace qel
