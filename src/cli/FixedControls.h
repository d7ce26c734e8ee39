#pragma once

#include "backup/ProgressWindow.h"
#include "platform/Controls.h"
#include "platform/Drives.h"

#include <QStringList>

namespace qel {

class DirectoryLister;

// The run's inputs as the command line gives them, in place of the window's
// list controls: nobody changes them during the run.

// The files of one folder, read through the lister as the window's file list
// reads them.
class FolderFileList final : public FileList {
public:
    // Throws as DirectoryLister::files: 68, 76 or 70.
    FolderFileList(const DirectoryLister& lister, const QString& dosDir);

    QString Path() const override { return m_path; }
    void setPath(const QString& path) override;
    int ListCount() const override { return int(m_names.size()); }
    QString List(int i) const override;
    int ListIndex() const override { return -1; }

private:
    const DirectoryLister& m_lister;
    QString m_path;
    QStringList m_names;
};

class FixedDirList final : public DirList {
public:
    explicit FixedDirList(QString dosDir)
        : m_path(std::move(dosDir)) {}

    QString Path() const override { return m_path; }
    void setPath(const QString& pathOrDrive) override { m_path = pathOrDrive; }

private:
    QString m_path;
};

// The drive table's entries with one of them chosen.
class FixedDriveList final : public DriveList {
public:
    // selected is an index into entries.
    FixedDriveList(QList<DriveEntry> entries, int selected);

    QString Drive() const override { return m_entries.value(m_selected).text; }
    // Throws Error 68 when no entry has text's letter.
    void setDrive(const QString& text) override;
    int ListCount() const override { return int(m_entries.size()); }
    QString List(int i) const override;

private:
    QList<DriveEntry> m_entries;
    int m_selected;
};

// A progress window nobody sees: it takes every line and value and shows nothing.
class HiddenProgressWindow final : public ProgressWindow {
public:
    void show() override {}
    void setSourceLine(const QString&) override {}
    void setDestinationLine(const QString&) override {}
    void setProgress(int) override {}
    Animation& animation() override { return m_animation; }
    void unload() override {}

private:
    class NoClip final : public Animation {
    public:
        void Open(const QString&) override {}
        void Play() override {}
        void Stop() override {}
        void Close() override {}
    };
    NoClip m_animation;
};

} // namespace qel
