#pragma once

#include "platform/Controls.h"

#include <QListWidget>

namespace qel {

class DirectoryLister;

// The classic file list: the plain names of a folder's files, several of
// which may be selected, each click toggling the entry clicked.
class FileListBox final : public QListWidget, public FileList {
    Q_OBJECT
public:
    // Lists nothing until setPath is called.
    explicit FileListBox(const DirectoryLister& lister, QWidget* parent = nullptr);

    QString Path() const override;
    void setPath(const QString& path) override;
    int ListCount() const override;
    QString List(int i) const override;
    int ListIndex() const override;

signals:
    // The user clicked an entry (or moved to one with the keyboard);
    // ListIndex() is that entry.
    void Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    const DirectoryLister& m_lister;
    QString m_path;
    int m_listIndex = -1;
};

} // namespace qel
