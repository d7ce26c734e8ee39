#include "platform/windows/WindowsLauncher.h"

#include "platform/DosPath.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/windows/Win32Errors.h"
#include "platform/windows/Win32.h"

#include <vector>

namespace qel {

namespace {

std::wstring wide(const QByteArray& hostPath) {
    return QString::fromUtf8(hostPath).toStdWString();
}

} // namespace

WindowsLauncher::WindowsLauncher(const Drives& drives)
    : m_drives(drives) {}

QString WindowsLauncher::findFile(const QString& path) {
    const std::optional<DosPath> dos = DosPath::parse(path);
    if (!dos || dos->isRoot())
        return {};
    try {
        const DWORD attributes = GetFileAttributesW(wide(m_drives.toHostPath(path)).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
            return {};
    } catch (const Error&) {
        return {};
    }
    return dos->components.last();
}

void WindowsLauncher::startProgram(const QString& path) {
    const std::optional<DosPath> dos = DosPath::parse(path);
    if (path.isEmpty() || !dos || dos->isRoot())
        throw Error(err::FileNotFound);
    const std::wstring program = wide(m_drives.toHostPath(path));
    const DWORD attributes = GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw win32Error(GetLastError(), IoSide::Source, dos->toString());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw Error(err::PathFileAccessError,
                    QStringLiteral("%1 is a folder, not a program").arg(dos->toString()));

    // The program's own path, quoted, is its whole command line; no shell.
    std::wstring commandLine = L"\"" + program + L"\"";
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process)) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            throw Error(err::FileNotFound);
        throw Error(err::PathFileAccessError,
                    QStringLiteral("Cannot start %1: %2").arg(dos->toString(), win32Text(code)));
    }
    // Never waited for: the handles are only the system's receipts.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace qel
