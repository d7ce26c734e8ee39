#pragma once

#include <QChar>
#include <QString>
#include <chrono>
#include <memory>

namespace qel {

// One backup run at a time per drive, across the user's processes (the
// window's and the command line's): an OS lock on a file in the program's
// data folder, which the system drops with the process that held it.
class DriveLock {
public:
    virtual ~DriveLock() = default;

    // The lock of drive, taken within wait; nullptr while another holds it
    // all that time. Where no lock can be made at all (no data folder, a
    // file system without locks) the run goes ahead unguarded rather than
    // not at all.
    static std::unique_ptr<DriveLock> take(QChar drive, std::chrono::milliseconds wait);

protected:
    enum class Attempt { Taken, Held, Unlockable };
    virtual Attempt tryTake() = 0;

private:
    // The lock file at path, opened (made when missing); nullptr when it
    // cannot be. Defined once per platform.
    static std::unique_ptr<DriveLock> open(const QString& path);
};

} // namespace qel
