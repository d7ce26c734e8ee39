#pragma once

#include "FakeControls.h"
#include "FakeDialogs.h"
#include "FakeFile.h"
#include "browse/SourceBrowser.h"
#include "platform/Error.h"
#include "platform/FileSystemObject.h"

#include <QMap>
#include <QStringList>
#include <gtest/gtest.h>
#include <stdexcept>

namespace qel::test {

// Looks files up in a table by the exact path it is given; records every
// look-up. A missing path fails with 53, or with failNumber when set.
class FakeFileSystem final : public FileSystemObject {
public:
    QMap<QString, FileFacts> files;
    QStringList lookups;
    int failNumber = 0;

    std::unique_ptr<File> GetFile(const QString& path) override {
        lookups << path;
        if (failNumber)
            throw Error(failNumber);
        if (!files.contains(path))
            throw Error(err::FileNotFound);
        return std::make_unique<FakeFile>(files.value(path));
    }
    bool FolderExists(const QString&) override { return false; }
    void CreateFolder(const QString&) override {}
    void CopyFile(const QString&, const QString&, bool) override {}
    void beginRun(const QString&) override {}
    std::shared_ptr<void> holdDrive(const QString&) override { return nullptr; }
};

// The three source lists, the panel and the browser wired as the main window
// wires them: each list's change runs its handler inside the write.
struct BrowseRig {
    explicit BrowseRig(QStringList driveEntries, int selected, QString startDir)
        : drive1(std::move(driveEntries), selected)
        , dir1(std::move(startDir))
        , browser(drive1, dir1, file1, panel, dialogs, [this]() -> FileSystemObject& {
            ++fsoUses;
            return fso;
        }) {
        drive1.onChange = [this] { browser.Drive1_Change(); };
        dir1.onChange = [this] { browser.Dir1_Change(); };
        // A handler that never stops asking would hang the test instead of
        // failing it; end it from the box instead.
        dialogs.onBox = [this](const ShownBox&) {
            if (dialogs.boxes().size() > MaxBoxes)
                throw std::runtime_error("message boxes without end");
        };
    }

    static constexpr int MaxBoxes = 30;

    FakeDriveList drive1;
    FakeDirList dir1;
    FakeFileList file1;
    FakeTextBox panel;
    FakeDialogs dialogs;
    FakeFileSystem fso;
    int fsoUses = 0;
    SourceBrowser browser;
};

} // namespace qel::test
