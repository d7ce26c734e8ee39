#include "CopyPlaces.h"

#include "MapDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"

#include <QDir>
#include <QTemporaryDir>

namespace qel::test {

namespace {

// C: and A: as two fresh host folders.
class LinuxPlaces final : public CopyPlaces {
public:
    LinuxPlaces() {
        QDir(m_root.path()).mkpath(QStringLiteral("c/DATA"));
        QDir(m_root.path()).mkpath(QStringLiteral("a/DATA"));
        m_drives.addDrive(u'C', QFile::encodeName(m_root.path() + QStringLiteral("/c")));
        m_drives.addDrive(u'A', QFile::encodeName(m_root.path() + QStringLiteral("/a")));
        io.attach(m_fso);
    }
    FileSystemObjectBase& fso() override { return m_fso; }
    QString source() const override { return QStringLiteral("C:\\DATA"); }
    QString target() const override { return QStringLiteral("A:\\DATA"); }
    QString host(const QString& dosPath) const override {
        return QFile::decodeName(m_drives.toHostPath(dosPath));
    }

private:
    QTemporaryDir m_root;
    MapDrives m_drives;
    LinuxFileSystemObject m_fso{m_drives};
};

} // namespace

std::unique_ptr<CopyPlaces> makeCopyPlaces() {
    return std::make_unique<LinuxPlaces>();
}

} // namespace qel::test
