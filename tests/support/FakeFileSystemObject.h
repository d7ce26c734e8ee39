#pragma once

#include "platform/Error.h"
#include "platform/FileSystemObject.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>
#include <optional>

namespace qel::test {

// An in-memory file system over DOS paths, compared without regard to case
// and with doubled separators counting as one. Records every call and fails
// chosen calls on demand.
class FakeFileSystemObject final : public FileSystemObject {
public:
    struct Call {
        QString operation; // "GetFile", "FolderExists", "CreateFolder", "CopyFile", "beginRun"
        QString first;
        QString second;
    };

    // Adds the folder and any missing parents; "a:\" adds a drive root.
    void addFolder(const QString& path);
    // Adds or replaces a file; its folder (and parents) are added as needed.
    void addFile(const QString& path, const QByteArray& content = {});
    void removeFile(const QString& path);
    bool hasFolder(const QString& path) const;
    bool hasFile(const QString& path) const;
    QByteArray content(const QString& path) const;
    // Names of the files directly in folder, in the case they were added with, sorted.
    QStringList fileNames(const QString& folder) const;

    // Writing below any of these paths (folders or drive roots such as "a:")
    // is refused with 70, as on a write-protected disk.
    QStringList writeProtected;

    // The next `times` calls of operation whose first argument contains match
    // (case sensitive) throw number before doing anything.
    void failNext(const QString& operation, const QString& match, int number, int times = 1);

    // Runs at the start of every call, after it is recorded (a user action
    // during a copy, a drive that goes away, ...).
    std::function<void(const Call&)> onCall;
    // GetFile hands its path to this; unset, it throws 53.
    std::function<std::unique_ptr<File>(const QString&)> getFile;

    const QList<Call>& calls() const { return m_calls; }
    // The calls of one operation as "first" or "first>second".
    QStringList calls(const QString& operation) const;

    std::unique_ptr<File> GetFile(const QString& path) override;
    bool FolderExists(const QString& path) override;
    void CreateFolder(const QString& path) override;
    void CopyFile(const QString& source, const QString& destination, bool overwrite) override;
    void beginRun(const QString& drive) override { record(QStringLiteral("beginRun"), drive); }
    // Throws busyDrive's Error when set.
    std::shared_ptr<void> holdDrive(const QString& drive) override;
    std::optional<Error> busyDrive;

private:
    struct Failure {
        QString operation;
        QString match;
        int number;
        int times;
    };

    void record(const QString& operation, const QString& first, const QString& second = {});
    bool isWriteProtected(const QString& key) const;

    QMap<QString, QString> m_folders;     // key -> path as added
    QMap<QString, QString> m_fileNames;   // key -> name as added
    QMap<QString, QByteArray> m_contents; // key -> content
    QList<Failure> m_failures;
    QList<Call> m_calls;
};

} // namespace qel::test
