#pragma once

#include <QString>

namespace qel {

// Finds and starts other programs. Paths are DOS paths.
class Launcher {
public:
    virtual ~Launcher() = default;

    // The file's name when path names an existing normal file, else empty
    // text. Never fails.
    virtual QString findFile(const QString& path) = 0;

    // Starts the program at path, detached, in a normal window with the
    // focus, without a shell. Throws Error 53 when it does not exist, 75
    // when it is a folder or not executable, 68 when its drive is not ready.
    virtual void startProgram(const QString& path) = 0;
};

} // namespace qel
