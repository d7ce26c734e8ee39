#pragma once

#include <QString>

#include <functional>

namespace qel {

enum class Buttons { OK, OKCancel, YesNo, RetryCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class DefaultButton { First, Second };

// The classic answers' numbers.
enum class Answer { OK = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

// The one chokepoint for every message box and every event yield, so tests
// can script the user's answers and what the user does during a yield.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box; an empty title shows the application title. Esc
    // answers Cancel where the box has a Cancel button; a Yes/No box can only
    // be answered. Never fails.
    virtual Answer MsgBox(const QString& text, Buttons buttons, Icon icon,
                          DefaultButton defaultButton, const QString& title) = 0;

    // Processes all pending window events once, then returns. Handlers run
    // inside it and may end the program (AppObject::hasEnded), which the
    // caller checks afterwards. Never fails.
    virtual void DoEvents() = 0;

    // Runs work on a worker thread while the window keeps painting and running
    // timers but takes no user input; returns when work is done and rethrows
    // what work threw.
    virtual void runWithoutInput(const std::function<void()>& work) = 0;
};

} // namespace qel
