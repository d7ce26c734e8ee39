#include "controls/FormLayout.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>

namespace qel {

QFont classicFont(qreal pointSize, bool bold, bool italic) {
    QFont font;
    // For the layouts' bitmap "MS Sans Serif": its TrueType successor on
    // Windows, the closest widths on Linux (and under Wine, which offers the
    // host's fonts).
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    // Drawn without smoothing, small text loses one-pixel strokes (Wine
    // drops Liberation Sans's "I" at 8 pt).
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QColor activeBorderColour() {
    return QColor(0xD4, 0xD0, 0xC8);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = place(new QLabel(parent), name, geometry);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(text);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                        const QString& toolTip) {
    auto* button = place(new QPushButton(caption, parent), name, geometry);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

void fitToText(QLabel* label) {
    const QRect old = label->geometry();
    const QSize size = label->sizeHint();
    const int left =
        (label->alignment() & Qt::AlignRight) ? old.right() + 1 - size.width() : old.left();
    label->setGeometry(left, old.top(), size.width(), size.height());
}

namespace {

// The size a control needs to show its caption whole; an invalid size for a
// control that carries no caption.
QSize captionSize(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->text().isEmpty())
            return {};
        if (label->wordWrap())
            return {label->width(), label->heightForWidth(label->width())};
        return label->sizeHint();
    }
    if (const auto* check = qobject_cast<const QCheckBox*>(control))
        return check->text().isEmpty() ? QSize() : QSize(check->sizeHint().width(), 0);
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        if (button->text().isEmpty())
            return {};
        // The style's own margins, without the minimum width some styles add.
        const QStyle* style = button->style();
        int width = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() +
                    style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                    2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        if (button->autoDefault() || button->isDefault())
            width += 2 * style->pixelMetric(QStyle::PM_ButtonDefaultIndicator, nullptr, button);
        return {width, 0};
    }
    return {};
}

void fitCaptions(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QSize needed = captionSize(control);
        if (!needed.isValid() || control->isWindow())
            continue;
        const QRect old = control->geometry();
        if (needed.width() <= old.width() && needed.height() <= old.height())
            continue;
        QRect grown(old.topLeft(), old.size().expandedTo(needed));
        const auto* label = qobject_cast<const QLabel*>(control);
        if (label && (label->alignment() & Qt::AlignRight))
            grown.moveRight(old.right());
        control->setGeometry(grown);
    }
}

class CaptionFitter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Sent before the window reaches the screen, after every text set
        // since it was last shown.
        if (event->type() == QEvent::Show)
            fitCaptions(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

void keepCaptionsWhole(QWidget* window) {
    window->installEventFilter(new CaptionFitter(window));
}

QLabel* makePicture(QWidget* parent, const char* name, QRect geometry, const QPixmap& pixmap) {
    auto* picture = place(new QLabel(parent), name, geometry);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (!pixmap.isNull())
        picture->setPixmap(pixmap);
    return picture;
}

} // namespace qel
