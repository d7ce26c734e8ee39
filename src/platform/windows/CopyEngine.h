#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

struct VolumeFacts;

// Copies files between two folders so that a target is either its old copy
// or the whole new one, never a part: each file goes to a temporary file
// created exclusively beside the target, is flushed, read back through a
// fresh unbuffered handle and compared with what was read from the source,
// and only then moved over the target. Each file is replaced before the next
// is started, so replacing needs room for one extra copy at a time. A target
// that already holds the source's contents (same size and time, then the same
// bytes) is left alone.
class CopyEngine final {
public:
    // One file: its name in the source and in the destination folder, and the
    // DOS paths that name it in error descriptions.
    struct Item {
        QString sourceName;
        QString targetName;
        QString dosSource;
        QString dosTarget;
    };

    // Temporary files left in a destination by an earlier run are removed
    // when nobody holds them open.
    CopyEngine();
    ~CopyEngine();

    // Copies the items in order from the host folder sourceDir to targetDir,
    // skipping sources that are no regular files and targets that are the
    // source itself; returns how many were regular files. Stops at the first
    // failing file (those before it are kept, it and later ones keep their old
    // copy) with its Error: 58 for an existing target without overwrite or two
    // sources differing only in case (before anything is written), 71 when
    // the destination is no longer the volume it was, 57 for a copy that
    // reads back different, 61 naming the file and the room missing, 75 for
    // a file the volume cannot hold, one another program holds or one that
    // kept changing, and the mapped Win32 error otherwise.
    int copy(const QByteArray& sourceDir, const QByteArray& targetDir, const QString& dosTargetDir,
             const std::vector<Item>& items, bool overwrite);

private:
    struct Step;
    struct Placed;
    struct Source;
    class TempFile;

    void removeStaleTemps(const Step& step) const;
    void checkCaseCollisions(const Step& step, const std::vector<Item>& items) const;
    bool copyOne(Step& step, const Item& item);
    // The source's bytes read again (from the cache), hashed.
    std::uint64_t hashSource(const Source& source);
    // Whether another program holds path open so that it cannot be replaced.
    static bool isHeldOpen(const std::wstring& path);
    bool alreadyThere(const Source& source, const std::wstring& target);
    TempFile createTemp(const Step& step, const Item& item, bool replacing);
    void copyData(const Source& source, TempFile& temp, bool replacing);
    void verify(const Step& step, const Item& item, const std::wstring& path, std::int64_t size,
                std::uint64_t checksum);
    bool readBack(const std::wstring& path, bool unbuffered, const Item& item, std::int64_t& read,
                  std::uint64_t& checksum);
    void checkSameVolume(const Step& step) const;

    struct Buffers;
    std::unique_ptr<Buffers> m_buffers;
};

} // namespace qel
