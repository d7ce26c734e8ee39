#pragma once

#include <QString>

#include <cstdint>

namespace qel {

// A window handle as the help module keeps it: 32 bits, signed.
using WindowHandle = std::int32_t;

// The platform's help viewer. Results are the viewer's own and are ignored by
// the program: a help file that cannot be opened is reported by the viewer
// inside its own window, never by an error here.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;

    // Shows the contents of helpFile on behalf of owner.
    virtual void showContents(WindowHandle owner, const QString& helpFile) = 0;

    // Shows the topic with this help context number (F1); falls back to the
    // contents when the document has no such topic.
    virtual void showTopic(WindowHandle owner, const QString& helpFile, int contextId) = 0;

    // Closes what the viewer shows of helpFile; harmless when nothing is shown.
    virtual void quit(WindowHandle owner, const QString& helpFile) = 0;
};

} // namespace qel
