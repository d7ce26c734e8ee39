#pragma once

#include <QString>
#include <functional>

namespace qel {

enum class Buttons { OK, OKCancel, YesNo, RetryCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class DefaultButton { First, Second };

// What a message box is for. It fixes the box's buttons, and whoever answers
// without a person (the command line) answers by it, never by the wording.
// A new kind goes here, with its buttons in buttonsOf and its answer in
// cli/ConsoleDialogs.
enum class BoxKind {
    Notice,       // OK: news that asks nothing (a backup complete, no data to back up)
    Error,        // OK: a failure; what the user started has stopped
    Confirmation, // Yes/No: go on with what the user started (the backup to the drive named)
    Exit,         // Yes/No: end the program
    FileNotFound, // OK/Cancel: pass over a file that is not there, or break off
    DiskRequest,  // OK/Cancel: the disk asked for is in the drive now (start again), or break off
    DriveRetry,   // Retry/Cancel: try a drive that is not available again, or give it up
};

Buttons buttonsOf(BoxKind kind);

// The classic answers' numbers.
enum class Answer { OK = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

// The one chokepoint for every message box and every event yield, so tests
// can script the user's answers and what the user does during a yield.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box with the buttons of its kind; an empty title shows
    // the application title. Esc answers Cancel where the box has a Cancel
    // button; a Yes/No box can only be answered. Never fails.
    virtual Answer MsgBox(const QString& text, BoxKind kind, Icon icon, DefaultButton defaultButton,
                          const QString& title) = 0;

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
