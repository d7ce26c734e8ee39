#pragma once

#include "platform/HelpViewer.h"

#include <QList>
#include <QString>
#include <optional>

namespace qel::test {

// Records every request; fails the next requests with an Error on demand.
class FakeHelpViewer final : public HelpViewer {
public:
    enum class Kind { Contents, Topic, Quit };
    struct Call {
        Kind kind;
        WindowHandle owner;
        QString helpFile;
        int contextId = 0;
    };

    // Every following request throws Error(number) after being recorded.
    void failWith(int number) { m_failure = number; }

    const QList<Call>& calls() const { return m_calls; }

    void showContents(WindowHandle owner, const QString& helpFile) override;
    void showTopic(WindowHandle owner, const QString& helpFile, int contextId) override;
    void quit(WindowHandle owner, const QString& helpFile) override;

private:
    void record(Call call);

    QList<Call> m_calls;
    std::optional<int> m_failure;
};

} // namespace qel::test
