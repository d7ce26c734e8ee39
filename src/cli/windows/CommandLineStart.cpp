// The command line's start-up on Windows: the window's platform, without the
// device watcher only a window needs.

#include "cli/CommandLineStart.h"

#include "cli/CommandLine.h"
#include "platform/AppObject.h"
#include "platform/windows/WindowsPlatform.h"

#include <QCoreApplication>
#include <cstdio>

namespace qel {

int startCommandLine(int argc, char* argv[]) {
    QCoreApplication qapp(argc, argv);
    nameApplication();
    WindowsPlatform platform;
    return runCommandLine(QCoreApplication::arguments(), platform, stdout, stderr);
}

} // namespace qel
