#include "CopyPlaces.h"

#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsFileSystemObject.h"

#include <QDir>

namespace qel::test {

namespace {

// Two fresh folders on k:, the plain folder WineDrives.sh maps.
class WindowsPlaces final : public CopyPlaces {
public:
    WindowsPlaces() {
        for (const QString& folder : {source(), target()}) {
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
        }
        io.attach(m_fso);
    }
    FileSystemObjectBase& fso() override { return m_fso; }
    QString source() const override { return QStringLiteral("K:\\CONTRACT-SRC"); }
    QString target() const override { return QStringLiteral("K:\\CONTRACT-DST"); }
    QString host(const QString& dosPath) const override { return dosPath; }

private:
    WindowsDrives m_drives;
    WindowsFileSystemObject m_fso{m_drives};
};

} // namespace

std::unique_ptr<CopyPlaces> makeCopyPlaces() {
    if (!WindowsDrives().isReady(u'K'))
        return nullptr;
    return std::make_unique<WindowsPlaces>();
}

} // namespace qel::test
