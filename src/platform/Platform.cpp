#include "platform/Platform.h"

#include "platform/Services.h"

namespace qel {

Services Platform::services(Dialogs& dialogs, const RunRecord& record) {
    return Services{app(),       drives(),   lister(),
                    dialogs,     registry(), launcher(),
                    scheduler(), notifier(), [this] { return makeFileSystemObject(); },
                    record};
}

} // namespace qel
