// Loaded with LD_PRELOAD into a program whose start-up is being measured, so
// the program itself carries no measuring code. Once the first top-level
// widget of the class named by QEL_BENCH_WINDOW_CLASS has been painted, the
// process ends at once; the parent times it and reads its peak memory.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <unistd.h>

namespace {

class ShownWatch final : public QObject {
public:
    explicit ShownWatch(QByteArray windowClass)
        : QObject(QCoreApplication::instance())
        , m_windowClass(std::move(windowClass)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window()->inherits(m_windowClass.constData())) {
            m_seen = true;
            // Ends after the whole frame of this paint has been drawn.
            QTimer::singleShot(0, [] { ::_exit(0); });
        }
        return false;
    }

private:
    QByteArray m_windowClass;
    bool m_seen = false;
};

void installWatch() {
    const QByteArray windowClass = qgetenv("QEL_BENCH_WINDOW_CLASS");
    if (windowClass.isEmpty())
        return;
    QCoreApplication::instance()->installEventFilter(new ShownWatch(windowClass));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installWatch)
