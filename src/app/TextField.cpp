#include "app/TextField.h"

namespace qel {

TextField::TextField(QWidget* parent)
    : QLineEdit(parent) {}

QString TextField::Text() const {
    return QLineEdit::text();
}

void TextField::setText(const QString& text) {
    QLineEdit::setText(text);
}

MultiLineTextField::MultiLineTextField(QWidget* parent)
    : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves the focus on, as in every other control of the window.
    setTabChangesFocus(true);
}

QString MultiLineTextField::Text() const {
    QString text = toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void MultiLineTextField::setText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(u'\r', u'\n');
    setPlainText(plain);
}

} // namespace qel
