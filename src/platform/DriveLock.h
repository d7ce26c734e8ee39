#pragma once

#include <QChar>
#include <chrono>
#include <memory>

namespace qel {

// One backup run at a time per drive, across the user's processes (the
// window's and the command line's): an OS lock on a file in the program's
// data folder, which the system drops with the process that held it.
// Defined once per platform.
class DriveLock {
public:
    virtual ~DriveLock() = default;

    // The lock of drive, taken within wait; nullptr while another holds it
    // all that time. Where no lock can be made at all (no data folder) the
    // run goes ahead unguarded rather than not at all.
    static std::unique_ptr<DriveLock> take(QChar drive, std::chrono::milliseconds wait);
};

} // namespace qel
