#pragma once

#include "platform/Dialogs.h"

#include <cstdio>

namespace qel {

// The dialogs of a run nobody watches. Every message is written to err as
// the window shows it, and every question gets, by its kind, the answer that
// lets the run go on without anybody: Yes to the confirmation (the command
// line gave it), OK past a file that is not found (the file is not backed up,
// the rest is), Cancel wherever the window would wait for a disk or a retry,
// so a failure ends the run instead of asking again.
class ConsoleDialogs final : public Dialogs {
public:
    explicit ConsoleDialogs(std::FILE* err);

    Answer MsgBox(const QString& text, BoxKind kind, Icon icon, DefaultButton defaultButton,
                  const QString& title) override;
    // Nobody can act during a yield; events posted meanwhile are still run.
    void DoEvents() override;
    // No window to keep painting: work runs at once on this thread.
    void runWithoutInput(const std::function<void()>& work) override;

private:
    std::FILE* m_err;
};

} // namespace qel
