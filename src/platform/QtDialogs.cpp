#include "platform/QtDialogs.h"

#include "platform/AppObject.h"
#include "platform/DisplayText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <exception>
#include <thread>

namespace qel {

namespace {

constexpr QChar kBreak(0x200B); // zero-width space: a place to wrap, never drawn

// A message box that can refuse to be escaped or closed: a Yes/No question
// must be answered with one of its two buttons.
class AnswerBox final : public QMessageBox {
public:
    AnswerBox(QWidget* parent, bool mustAnswer)
        : QMessageBox(parent)
        , m_mustAnswer(mustAnswer) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (m_mustAnswer && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
        // Ctrl+C copies the box's text: a path pasted elsewhere must not
        // carry the wrapping points.
        if (event->matches(QKeySequence::Copy)) {
            if (QClipboard* clipboard = QGuiApplication::clipboard()) {
                QString copied = clipboard->text();
                if (copied.contains(kBreak))
                    clipboard->setText(copied.remove(kBreak));
            }
        }
    }

    void closeEvent(QCloseEvent* event) override {
        if (m_mustAnswer && !clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool m_mustAnswer;
};

} // namespace

int titleWidthNeeded(const QString& title, const QFont& font) {
    // The window manager draws the title in its own, usually bold, font
    // between the window's icon and up to three buttons; reserve room for
    // those beside the text. Its face may well be wider than the box's:
    // DejaVu Sans Bold, X desktops' usual one, is an eighth wider than
    // Liberation Sans Bold.
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics fm(bold);
    return fm.horizontalAdvance(title) * 5 / 4 + 5 * (fm.height() + 6);
}

namespace {

// Paths hold no spaces to wrap at: a wrapping point after each separator
// keeps a long one inside a box of sensible width instead of one as wide as
// the screen (or wider).
QString withWrapPoints(const QString& text) {
    // Longer runs would still widen the box past what the screen can show.
    constexpr int kLongestRun = 40;
    QString wrapped;
    wrapped.reserve(text.size() + text.size() / 8);
    int run = 0;
    for (const QChar c : text) {
        const bool separator = c == u'\\' || c == u'/';
        // Never between the halves of a character or before its accents.
        if (run >= kLongestRun && !separator && !c.isSpace() && !c.isLowSurrogate() &&
            !c.isMark()) {
            wrapped += kBreak;
            run = 0;
        }
        wrapped += c;
        if (separator) {
            wrapped += kBreak;
            run = 0;
        } else if (c.isSpace()) {
            run = 0;
        } else {
            ++run;
        }
    }
    return wrapped;
}

// A short box would be narrower than its title, and the window manager
// would cut the title.
void reserveTitleWidth(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(titleWidthNeeded(box.windowTitle(), box.font()), 0,
                                  QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

struct ButtonPair {
    QMessageBox::StandardButton first;
    QMessageBox::StandardButton second; // NoButton for a one-button box
};

ButtonPair toQt(Buttons buttons) {
    switch (buttons) {
    case Buttons::OK:
        return {QMessageBox::Ok, QMessageBox::NoButton};
    case Buttons::OKCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case Buttons::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case Buttons::RetryCancel:
        return {QMessageBox::Retry, QMessageBox::Cancel};
    }
    return {QMessageBox::Ok, QMessageBox::NoButton};
}

Answer toAnswer(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::OK;
    }
}

// The answer of a box that vanished unanswered: the one that commits to nothing.
Answer safeAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::OK:
        return Answer::OK;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::OKCancel:
    case Buttons::RetryCancel:
        return Answer::Cancel;
    }
    return Answer::Cancel;
}

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// Drops input that reaches a widget in spite of ExcludeUserInputEvents (a
// platform flushing its queue, events posted by code) while a worker runs.
// A message box opened meanwhile still takes its answer.
class InputBlocker final : public QObject {
public:
    explicit InputBlocker(const int& openBoxes)
        : m_openBoxes(openBoxes) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return m_openBoxes == 0 && isUserInput(event->type());
    }

private:
    const int& m_openBoxes;
};

} // namespace

QtDialogs::QtDialogs(const AppObject& app)
    : m_app(app) {}

Answer QtDialogs::MsgBox(const QString& text, BoxKind kind, Icon icon,
                         DefaultButton defaultButton, const QString& title) {
    const Buttons buttons = buttonsOf(kind);
    const bool mustAnswer = buttons == Buttons::YesNo;
    QPointer<AnswerBox> box = new AnswerBox(QApplication::activeWindow(), mustAnswer);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowTitle(title.isEmpty() ? m_app.Title() : title);
    // Descriptions may carry file names with "<" or "&"; never read them as markup.
    box->setTextFormat(Qt::PlainText);
    const QString shown = displayText(text);
    box->setText(withWrapPoints(shown));
    // A screen reader reads the text as it is, without the wrapping points.
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setAccessibleName(shown);
    box->setIcon(toQt(icon));

    const ButtonPair pair = toQt(buttons);
    QPushButton* first = box->addButton(pair.first);
    QPushButton* second =
        pair.second == QMessageBox::NoButton ? nullptr : box->addButton(pair.second);
    box->setDefaultButton(defaultButton == DefaultButton::Second && second ? second : first);
    if (mustAnswer) {
        box->setWindowFlags((box->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                            ~Qt::WindowCloseButtonHint);
    } else if (pair.second == QMessageBox::Cancel) {
        box->setEscapeButton(second);
    } else {
        box->setEscapeButton(first);
    }

    // Last: setting the icon or text may rebuild the box's layout.
    reserveTitleWidth(*box);
    ++m_openBoxes;
    box->exec();
    --m_openBoxes;

    if (!box)
        return safeAnswer(buttons);
    QAbstractButton* clicked = box->clickedButton();
    const Answer answer = clicked ? toAnswer(box->standardButton(clicked)) : safeAnswer(buttons);
    delete box.data();
    return answer;
}

void QtDialogs::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtDialogs::runWithoutInput(const std::function<void()>& work) {
    if (!QCoreApplication::instance()) {
        work();
        return;
    }

    std::exception_ptr failure;
    QEventLoop loop;
    InputBlocker blocker(m_openBoxes);
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued, so a worker that ends before exec() starts still ends the loop.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace qel
