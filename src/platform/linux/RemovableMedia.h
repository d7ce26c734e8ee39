#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace qel {

// A removable medium holding a file system, plugged in and possibly not
// mounted, as the system's disk service knows it.
struct RemovableMedium {
    QString id; // the service's name for it
    unsigned major = 0;
    unsigned minor = 0;
    QString label;

    friend bool operator==(const RemovableMedium&, const RemovableMedium&) = default;
};

// The media the system can mount on request, the way desktop file managers
// mount a stick that no automounter took.
class RemovableMedia {
public:
    virtual ~RemovableMedia() = default;

    // The media last heard of. Never blocks (any thread); empty until the
    // service has answered, and for good when there is none.
    virtual QList<RemovableMedium> media() const = 0;

    // Asks the service for its media if it has not answered yet, waiting up to
    // a time-out while the windows keep painting. Never fails; does nothing off
    // the UI thread.
    virtual void load() = 0;

    // Mounts the medium, waiting as load() does. Throws Error 68 with the
    // service's reason as description when it is refused, fails or times out
    // (or is asked off the UI thread).
    virtual void mount(const QString& id) = 0;
};

} // namespace qel
