#pragma once

#include <QString>
#include <functional>

namespace qel {

class Dialogs;
class DirList;
class DriveList;
class File;
class FileList;
class FileSystemObject;
class TextBox;

// Keeps the source drive, directory and file lists in step and fills the
// file-information panel. The window connects the lists' events to these
// handlers; the lists' writes raise the nested handlers themselves.
class SourceBrowser final {
public:
    // fso makes the window's one file-system object on first use; it is called
    // only when a file is looked up.
    SourceBrowser(DriveList& drive1, DirList& dir1, FileList& file1, TextBox& txtFileInfo,
                  Dialogs& dialogs, std::function<FileSystemObject&()> fso);

    // Moves the directory list to the selected drive. A drive that is not ready
    // offers Retry (as often as the user likes) or Cancel, which falls back to
    // the list's second entry once; any other failure is shown and leaves the
    // directory and file lists where they were. Never throws an Error.
    void Drive1_Change();

    // Refills the file list and empties the panel. A refill that fails is
    // shown; the file list is then empty. Never throws an Error.
    void Dir1_Change();

    // Shows the clicked file's facts. A look-up that fails is shown and leaves
    // the panel empty; an item that cannot be read leaves its line out. Never
    // throws an Error.
    void File1_Click();

    // The directory list could not open the folder the user chose.
    void Dir1_OpenFailed(int number, const QString& description);

private:
    void fallBackToSecondDrive(const QString& failedDrive);
    bool askRetryDrive();
    void showError(const QString& description);

    DriveList& m_drive1;
    DirList& m_dir1;
    FileList& m_file1;
    TextBox& m_txtFileInfo;
    Dialogs& m_dialogs;
    std::function<FileSystemObject&()> m_fso;
    // Nested drive changes raised by the fallback's own write; a fallback
    // never starts another one, so Cancel can always end the dialogue.
    int m_fallbackDepth = 0;
};

} // namespace qel
