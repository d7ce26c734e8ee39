#pragma once

namespace qel {

// Whether the program was started to run its command line: the window takes
// no arguments, so any argument means the command line.
inline bool wantsCommandLine(int argc) {
    return argc > 1;
}

// This platform's start-up of the command line: a core application (no
// window, no display needed), the platform's services and the run of the
// command line. Returns the exit code.
int startCommandLine(int argc, char* argv[]);

} // namespace qel
