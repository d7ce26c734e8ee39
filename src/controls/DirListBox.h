#pragma once

#include "platform/Controls.h"

#include <QListWidget>

namespace qel {

class DirectoryLister;
class Drives;
struct DosPath;

// The classic directory list: the path's ancestors from the drive root down
// (open folders) and its sub-folders (closed folders), each level indented.
// Double-click or Enter opens an entry; an ancestor goes up to it.
class DirListBox final : public QListWidget, public DirList {
    Q_OBJECT
public:
    // Starts on drives.startDirectory() (or its drive's root when that cannot
    // be listed), without raising Change. Never throws.
    DirListBox(Drives& drives, const DirectoryLister& lister, QWidget* parent = nullptr);

    QString Path() const override;
    void setPath(const QString& pathOrDrive) override;

    // Opens entry row as the user does; a failure is reported through failed().
    void openEntry(int row);

signals:
    // The path changed, by the user or by setPath.
    void Change();
    // A folder the user opened could not be shown; the path stays as it was.
    void failed(int number, QString description);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void display(const DosPath& path, const QStringList& subFolders);

    Drives& m_drives;
    const DirectoryLister& m_lister;
    QString m_path;
};

} // namespace qel
