#include "platform/windows/WindowsPlatform.h"

#include "platform/windows/WindowsFileSystemObject.h"

#include <QCoreApplication>
#include <QDir>

namespace qel {

WindowsPlatform::WindowsPlatform()
    : m_lister(m_drives)
    , m_hostProgramDir(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()))
    // The program's folder as the logic sees it: its Windows path, with the
    // separators the drive lists use.
    , m_app(m_drives.toDosPath(m_hostProgramDir.toUtf8()).value_or(m_hostProgramDir),
            QEL_VERSION_MAJOR, QEL_VERSION_MINOR, QEL_VERSION_PATCH)
    , m_launcher(m_drives)
    // The task starts the window program even when the console one schedules
    // it: a run at night opens no console window.
    , m_scheduler(m_hostProgramDir + QStringLiteral("\\QEL_Trekkel.exe")) {}

std::unique_ptr<FileSystemObject> WindowsPlatform::makeFileSystemObject() {
    return std::make_unique<WindowsFileSystemObject>(m_drives);
}

} // namespace qel
