#include "help/ContextHelp.h"

#include "help/HelpWindow.h"
#include "platform/AppObject.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>
#include <atomic>

namespace qel {

namespace {

constexpr char ContextProperty[] = "HelpContextID";
constexpr char HandleProperty[] = "qelWindowHandle";

int ownId(const QObject* object) {
    if (!object)
        return 0;
    bool ok = false;
    const int id = object->property(ContextProperty).toInt(&ok);
    return ok ? id : 0;
}

// The action that has the keyboard in a menu or menu bar, if any.
const QAction* activeAction(const QObject* target) {
    if (auto* menu = qobject_cast<const QMenu*>(target))
        return menu->activeAction();
    if (auto* bar = qobject_cast<const QMenuBar*>(target))
        return bar->activeAction();
    return nullptr;
}

// The window on whose behalf help is asked: a menu's owner, not the popup.
const QWidget* ownerWindow(const QWidget* widget) {
    const QWidget* w = widget;
    while (w && w->parentWidget() && (!w->isWindow() || w->windowType() == Qt::Popup))
        w = w->parentWidget();
    return w ? w->window() : nullptr;
}

class ContextHelpFilter final : public QObject {
public:
    ContextHelpFilter(QApplication& qapp, HelpViewer& viewer, const AppObject& app)
        : QObject(&qapp)
        , m_viewer(viewer)
        , m_app(app) {}

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;

        const QWidget* target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget();
        if (!target)
            target = qobject_cast<const QWidget*>(receiver);
        // F1 inside the help itself would only reload what is already shown.
        if (!target || qobject_cast<const HelpWindow*>(target->window()))
            return false;

        const QString helpFile = m_app.HelpFile();
        if (helpFile.isEmpty())
            return true;
        const WindowHandle owner = windowHandle(ownerWindow(target));
        const int id = helpContextId(target);
        if (id != 0)
            m_viewer.showTopic(owner, helpFile, id);
        else
            m_viewer.showContents(owner, helpFile);
        return true;
    }

private:
    HelpViewer& m_viewer;
    const AppObject& m_app;
};

} // namespace

int helpContextId(const QObject* target) {
    if (const QAction* action = activeAction(target)) {
        if (const int id = ownId(action))
            return id;
        if (const int id = ownId(action->menu()))
            return id;
    }
    for (const QObject* o = target; o; o = o->parent()) {
        if (const int id = ownId(o))
            return id;
        if (auto* menu = qobject_cast<const QMenu*>(o)) {
            if (const int id = ownId(menu->menuAction()))
                return id;
        }
    }
    return 0;
}

QObject* installContextHelp(QApplication& qapp, HelpViewer& viewer, const AppObject& app) {
    auto* filter = new ContextHelpFilter(qapp, viewer, app);
    qapp.installEventFilter(filter);
    return filter;
}

WindowHandle windowHandle(const QWidget* widget) {
    if (!widget)
        return 0;
    // Odd-looking but classic values: multiples of 4 from 0x10010 upward.
    static std::atomic<WindowHandle> next{0x10010};
    auto* window = const_cast<QWidget*>(widget->window());
    bool ok = false;
    const WindowHandle kept = window->property(HandleProperty).toInt(&ok);
    if (ok && kept != 0)
        return kept;
    const WindowHandle handle = next.fetch_add(4);
    window->setProperty(HandleProperty, handle);
    return handle;
}

} // namespace qel
