#pragma once

#include "FailingCopyIo.h"
#include "platform/FileSystemObjectBase.h"

#include <QByteArray>
#include <QStringList>
#include <memory>

namespace qel::test {

// A source and a destination folder on real drives of this platform, empty
// for each test, and the platform's own file-system object over them, its
// copies going through `io`.
class CopyPlaces {
public:
    virtual ~CopyPlaces() = default;
    virtual FileSystemObjectBase& fso() = 0;
    // The DOS folders, without a separator at the end ("C:\DATA").
    virtual QString source() const = 0;
    virtual QString target() const = 0;
    // The host path of a DOS path below them, for QFile.
    virtual QString host(const QString& dosPath) const = 0;

    FailingCopyIo io;
};

// nullptr when this machine has no such drives (the test says why it skips).
std::unique_ptr<CopyPlaces> makeCopyPlaces();

} // namespace qel::test
