#pragma once

#include "platform/Controls.h"

#include <QMap>
#include <QSet>
#include <QStringList>

#include <functional>

namespace qel::test {

// Drive list over fixed entry texts; letters in notReady fail with 68.
class FakeDriveList final : public DriveList {
public:
    explicit FakeDriveList(QStringList entries, int selected = 0)
        : m_entries(std::move(entries)), m_selected(selected) {}

    QSet<QChar> notReady; // upper-case letters
    std::function<void()> onChange;
    int writes = 0;

    // The user picks entry i: moves the selection and raises Change.
    void userSelects(int i);

    QString Drive() const override { return m_entries.value(m_selected); }
    void setDrive(const QString& text) override;
    int ListCount() const override { return int(m_entries.size()); }
    QString List(int i) const override;

private:
    QStringList m_entries;
    int m_selected;
};

// Directory list: a drive text goes to that drive's entry in currentDirs;
// failures are scripted per drive letter (failOnDrive) or per path (failOnPath).
class FakeDirList final : public DirList {
public:
    explicit FakeDirList(QString path) : m_path(std::move(path)) {}

    QMap<QChar, QString> currentDirs;  // upper-case letter -> path
    QMap<QChar, int> failOnDrive;      // upper-case letter -> error number
    QMap<QString, int> failOnPath;     // path -> error number
    std::function<void()> onChange;
    QStringList writes;

    // The user opens a folder: the path changes and Change is raised.
    void userOpens(const QString& path);

    QString Path() const override { return m_path; }
    void setPath(const QString& pathOrDrive) override;

private:
    QString m_path;
};

// File list over a map of folder -> names; failing folders are scripted.
class FakeFileList final : public FileList {
public:
    QMap<QString, QStringList> folders;
    QMap<QString, int> failOnPath;
    QStringList writes;

    // The user clicks entry i (ListIndex becomes i).
    void userClicks(int i) { m_index = i; }
    void setEntries(const QStringList& names) { m_names = names; }

    QString Path() const override { return m_path; }
    void setPath(const QString& path) override;
    int ListCount() const override { return int(m_names.size()); }
    QString List(int i) const override;
    int ListIndex() const override { return m_index; }

private:
    QString m_path;
    QStringList m_names;
    int m_index = -1;
};

class FakeTextBox final : public TextBox {
public:
    QStringList writes;
    QString Text() const override { return m_text; }
    void setText(const QString& text) override
    {
        m_text = text;
        writes << text;
    }

private:
    QString m_text;
};

} // namespace qel::test
