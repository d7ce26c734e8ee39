#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace qel::test {

// A real disk mounted on a folder for a test's life: a small tmpfs, or a FAT
// image made by mkfs.fat and served by fusefat (the kernel may have no vfat).
class TestDisk final {
public:
    enum class Kind { Tmpfs, Fat12Floppy, Fat32Stick };

    // The FAT image is kept in imageDir; tmpfs takes kib and flags.
    TestDisk(Kind kind, QByteArray folder, QByteArray imageDir, int kib = 1424,
             unsigned long flags = 0);
    ~TestDisk();
    TestDisk(const TestDisk&) = delete;
    TestDisk& operator=(const TestDisk&) = delete;

    // Whether the disk is mounted; otherwise why not, for a skip message.
    bool mounted() const { return m_mounted; }
    const QString& whyNot() const { return m_whyNot; }

    // As a user pulling the medium and plugging it in again (a tmpfs comes back empty).
    void unmount();
    bool remount();

    // Unmounts a FAT disk and checks its image with fsck.fat -n: what it
    // reports when it finds damage, else empty (always empty for a tmpfs).
    QString damage();
    // A file of the FAT image as mtools reads it, once damage() has unmounted it.
    QByteArray imageFile(const QByteArray& path) const;

private:
    bool mount();

    Kind m_kind;
    QByteArray m_folder;
    QByteArray m_image;
    int m_kib;
    unsigned long m_flags;
    bool m_mounted = false;
    pid_t m_server = -1;
    QString m_whyNot;
};

const char* kindName(TestDisk::Kind kind);

} // namespace qel::test
