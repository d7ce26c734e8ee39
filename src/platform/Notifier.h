#pragma once

#include <QString>

namespace qel {

// Tells the person at the computer something while nobody watches the
// program: a desktop notification, the program's icon beside it.
class Notifier {
public:
    virtual ~Notifier() = default;

    // Shows summary and body once. Returns why the person could not be told
    // (no session, no notification service), empty when they were. Never
    // throws; may wait until the notification has been shown long enough.
    virtual QString notify(const QString& summary, const QString& body) = 0;
};

} // namespace qel
