#include "FakeDialogs.h"

#include <gtest/gtest.h>

namespace qel::test {

void FakeDialogs::answer(std::initializer_list<Answer> answers)
{
    m_answers.insert(m_answers.end(), answers);
}

QStringList FakeDialogs::texts() const
{
    QStringList out;
    for (const auto& b : m_boxes)
        out << b.text;
    return out;
}

static Answer defaultAnswer(Buttons buttons, DefaultButton d)
{
    const bool second = d == DefaultButton::Second;
    switch (buttons) {
    case Buttons::OK:
        return Answer::OK;
    case Buttons::OKCancel:
        return second ? Answer::Cancel : Answer::OK;
    case Buttons::YesNo:
        return second ? Answer::No : Answer::Yes;
    case Buttons::RetryCancel:
        return second ? Answer::Cancel : Answer::Retry;
    }
    return Answer::OK;
}

Answer FakeDialogs::MsgBox(const QString& text, BoxKind kind, Icon icon,
                           DefaultButton defaultButton, const QString& title)
{
    m_boxes.push_back({text, kind, icon, defaultButton, title});
    if (onBox)
        onBox(m_boxes.back());
    if (m_answers.empty()) {
        ADD_FAILURE() << "unscripted message box: " << text.toStdString();
        return defaultAnswer(buttonsOf(kind), defaultButton);
    }
    const Answer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

void FakeDialogs::DoEvents()
{
    ++m_yields;
    if (m_yieldActions.empty())
        return;
    auto action = std::move(m_yieldActions.front());
    m_yieldActions.pop_front();
    action();
}

void FakeDialogs::runWithoutInput(const std::function<void()>& work)
{
    ++m_backgroundRuns;
    work();
}

} // namespace qel::test
