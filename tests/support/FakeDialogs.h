#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

namespace qel::test {

struct ShownBox {
    QString text;
    BoxKind kind;
    Icon icon;
    DefaultButton defaultButton;
    QString title;
};

// Records every message box and answers from a script; runs scripted user
// actions at the yields, one action per yield, in order.
class FakeDialogs final : public Dialogs {
public:
    // Answers for the next boxes, in order. A box without a scripted answer
    // fails the test and is answered with its default button.
    void answer(std::initializer_list<Answer> answers);
    void answerNext(Answer a) { m_answers.push_back(a); }
    // Called when a box is shown, before it is answered (for example to make
    // a drive ready while the "Retry" box is up).
    std::function<void(const ShownBox&)> onBox;
    // What the user does during the next yield; later yields do nothing.
    void atYield(std::function<void()> action) { m_yieldActions.push_back(std::move(action)); }

    const QList<ShownBox>& boxes() const { return m_boxes; }
    QStringList texts() const;
    int yields() const { return m_yields; }
    int backgroundRuns() const { return m_backgroundRuns; }

    Answer MsgBox(const QString& text, BoxKind kind, Icon icon, DefaultButton defaultButton,
                  const QString& title) override;
    void DoEvents() override;
    void runWithoutInput(const std::function<void()>& work) override;

private:
    std::deque<Answer> m_answers;
    std::deque<std::function<void()>> m_yieldActions;
    QList<ShownBox> m_boxes;
    int m_yields = 0;
    int m_backgroundRuns = 0;
};

} // namespace qel::test
