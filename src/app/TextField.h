#pragma once

#include "platform/Controls.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace qel {

// A single-line text box the program's logic can read and write.
class TextField final : public QLineEdit, public TextBox {
    Q_OBJECT
public:
    explicit TextField(QWidget* parent = nullptr);

    QString Text() const override;
    void setText(const QString& text) override;
};

// A multi-line text box. Lines are separated by CR LF on the logic's side, as
// the classic text box gives and takes them; the editor itself holds plain
// line feeds so no stray carriage return is drawn.
class MultiLineTextField final : public QPlainTextEdit, public TextBox {
    Q_OBJECT
public:
    explicit MultiLineTextField(QWidget* parent = nullptr);

    QString Text() const override;
    void setText(const QString& text) override;
};

} // namespace qel
