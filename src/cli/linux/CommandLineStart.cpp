// The command line's start-up on Linux: the window's platform, without what
// only a window needs (display, mount watcher).

#include "cli/CommandLineStart.h"

#include "cli/CommandLine.h"
#include "platform/AppObject.h"
#include "platform/linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <cstdio>

namespace qel {

int startCommandLine(int argc, char* argv[]) {
    QCoreApplication qapp(argc, argv);
    nameApplication();
    LinuxPlatform platform;
    // A stick that nobody mounted has its letter and label as in the window's
    // lists only once the disk service has answered; the run mounts it.
    platform.media().load();
    return runCommandLine(QCoreApplication::arguments(), platform, stdout, stderr);
}

} // namespace qel
