#include "browse/SourceBrowser.h"

#include "platform/Controls.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/DisplayText.h"
#include "platform/Error.h"
#include "platform/FileSystemObject.h"

#include <memory>

namespace qel {

namespace {

bool sameDrive(const QString& a, const QString& b) {
    return !a.isEmpty() && !b.isEmpty() && a[0].toUpper() == b[0].toUpper();
}

// One line of the panel; an item that cannot be read leaves its whole line
// out, so the lines that remain keep their order without gaps.
template <typename Read> QString line(const QString& label, Read read, const QString& end) {
    try {
        return label + read() + end;
    } catch (const Error&) {
        return {};
    }
}

QString fileInfoText(const File& file) {
    const QString crlf = QStringLiteral("\r\n");
    return line(
               QStringLiteral("Created: "), [&] { return dateText(file.DateCreated()); }, crlf) +
           line(
               QStringLiteral("Last Accessed: "), [&] { return dateText(file.DateLastAccessed()); },
               crlf) +
           line(
               QStringLiteral("Last Modified: "), [&] { return dateText(file.DateLastModified()); },
               crlf) +
           line(
               QStringLiteral("Drive: "), [&] { return file.DrivePath(); }, crlf) +
           line(
               QStringLiteral("Size: "),
               [&] { return QString::number(file.Size()) + QStringLiteral(" bytes"); }, crlf) +
           line(
               QStringLiteral("Path: "), [&] { return file.Path(); }, crlf) +
           line(
               QStringLiteral("Short Name: "), [&] { return file.ShortName(); }, QString());
}

// Counts a fallback in progress for as long as its write runs.
class DepthGuard final {
public:
    explicit DepthGuard(int& depth)
        : m_depth(depth) {
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

} // namespace

SourceBrowser::SourceBrowser(DriveList& drive1, DirList& dir1, FileList& file1,
                             TextBox& txtFileInfo, Dialogs& dialogs,
                             std::function<FileSystemObject&()> fso)
    : m_drive1(drive1)
    , m_dir1(dir1)
    , m_file1(file1)
    , m_txtFileInfo(txtFileInfo)
    , m_dialogs(dialogs)
    , m_fso(std::move(fso)) {}

void SourceBrowser::Drive1_Change() {
    for (;;) {
        const QString drive = m_drive1.Drive();
        try {
            // Raises Dir1_Change inside the write when the path moves.
            m_dir1.setPath(drive);
            return;
        } catch (const Error& e) {
            if (e.number() != err::DeviceUnavailable) {
                // Drive1 now shows the new drive while Dir1 and File1 keep the
                // old folder; the user can pick again.
                showError(e.description());
                return;
            }
        }
        if (!askRetryDrive()) {
            fallBackToSecondDrive(drive);
            return;
        }
    }
}

// Ending without a fallback leaves Drive1 on the drive that failed and Dir1
// and File1 on the folder they showed: the same out-of-step state as after
// any other failure, from which the user simply picks another drive.
void SourceBrowser::fallBackToSecondDrive(const QString& failedDrive) {
    // The fallback's own drive failed too and the user said Cancel again:
    // trying a third drive could go round the list for ever.
    if (m_fallbackDepth > 0)
        return;
    // Fewer than two drives, or the failed one is the second: nowhere to go.
    if (m_drive1.ListCount() < 2)
        return;
    QString second;
    try {
        second = m_drive1.List(1);
    } catch (const Error& e) {
        showError(e.description());
        return;
    }
    if (sameDrive(second, failedDrive))
        return;

    const DepthGuard guard(m_fallbackDepth);
    for (;;) {
        try {
            // Raises a nested Drive1_Change with its own dialogue when the
            // selection moves.
            m_drive1.setDrive(second);
            return;
        } catch (const Error& e) {
            if (e.number() != err::DeviceUnavailable) {
                showError(e.description());
                return;
            }
        }
        // The drive list refused the second drive itself; offer the same
        // choice the nested change would have offered.
        if (!askRetryDrive())
            return;
    }
}

bool SourceBrowser::askRetryDrive() {
    return m_dialogs.MsgBox(QStringLiteral("Drive is not available."), BoxKind::DriveRetry,
                            Icon::Critical, DefaultButton::First,
                            QStringLiteral("QEL Trekkel")) == Answer::Retry;
}

void SourceBrowser::Dir1_Change() {
    try {
        m_file1.setPath(m_dir1.Path());
    } catch (const Error& e) {
        // The folder vanished or cannot be read: the file list is left empty
        // on it, and the panel must not keep facts of a file from elsewhere.
        m_txtFileInfo.setText(QString());
        showError(e.description());
        return;
    }
    m_txtFileInfo.setText(QString());
}

void SourceBrowser::Dir1_OpenFailed(int /*number*/, const QString& description) {
    showError(description);
}

void SourceBrowser::File1_Click() {
    m_txtFileInfo.setText(QString());

    // A click that leaves no entry current has nothing to show.
    const int index = m_file1.ListIndex();
    if (index < 0 || index >= m_file1.ListCount())
        return;

    std::unique_ptr<File> file;
    try {
        // At a drive root this doubles the separator; the look-up reads
        // doubled separators as one.
        const QString path = m_file1.Path() + u'\\' + m_file1.List(index);
        file = m_fso().GetFile(path);
    } catch (const Error& e) {
        // The file was removed or its drive went away after the list was filled.
        showError(e.description());
        return;
    }
    if (file)
        m_txtFileInfo.setText(displayText(fileInfoText(*file)));
}

void SourceBrowser::showError(const QString& description) {
    // No title of its own: the box carries the application title.
    m_dialogs.MsgBox(description, BoxKind::Error, Icon::Exclamation, DefaultButton::First, QString());
}

} // namespace qel
