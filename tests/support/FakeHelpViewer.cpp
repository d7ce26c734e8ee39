#include "FakeHelpViewer.h"

#include "platform/Error.h"

namespace qel::test {

void FakeHelpViewer::record(Call call) {
    m_calls.push_back(std::move(call));
    if (m_failure)
        throw Error(*m_failure);
}

void FakeHelpViewer::showContents(WindowHandle owner, const QString& helpFile) {
    record({Kind::Contents, owner, helpFile});
}

void FakeHelpViewer::showTopic(WindowHandle owner, const QString& helpFile, int contextId) {
    record({Kind::Topic, owner, helpFile, contextId});
}

void FakeHelpViewer::quit(WindowHandle owner, const QString& helpFile) {
    record({Kind::Quit, owner, helpFile});
}

} // namespace qel::test
