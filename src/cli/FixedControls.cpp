#include "cli/FixedControls.h"

#include "platform/DirectoryLister.h"
#include "platform/DosPath.h"
#include "platform/Error.h"

namespace qel {

namespace {

constexpr int InvalidIndex = 381; // "Subscript out of range"

} // namespace

FolderFileList::FolderFileList(const DirectoryLister& lister, const QString& dosDir)
    : m_lister(lister) {
    setPath(dosDir);
}

void FolderFileList::setPath(const QString& path) {
    m_path = path;
    m_names.clear();
    m_names = m_lister.files(path);
}

QString FolderFileList::List(int i) const {
    if (i < 0 || i >= m_names.size())
        throw Error(InvalidIndex);
    return m_names[i];
}

FixedDriveList::FixedDriveList(QList<DriveEntry> entries, int selected)
    : m_entries(std::move(entries))
    , m_selected(selected) {}

void FixedDriveList::setDrive(const QString& text) {
    const std::optional<QChar> letter = dosDriveLetter(text);
    for (int i = 0; i < m_entries.size(); ++i)
        if (letter && m_entries[i].letter == *letter) {
            m_selected = i;
            return;
        }
    throw Error(err::DeviceUnavailable);
}

QString FixedDriveList::List(int i) const {
    if (i < 0 || i >= m_entries.size())
        throw Error(InvalidIndex);
    return m_entries[i].text;
}

} // namespace qel
