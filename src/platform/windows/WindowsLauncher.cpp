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

// A 32-bit program on 64-bit Windows has the system folder redirected to its
// 32-bit twin, where system tools registered by their real path are missing.
// While this lives, paths mean what they say. Elsewhere it does nothing.
class RealSystemFolder final {
public:
    RealSystemFolder() { m_disabled = Wow64DisableWow64FsRedirection(&m_old); }
    ~RealSystemFolder() {
        if (m_disabled)
            Wow64RevertWow64FsRedirection(m_old);
    }
    RealSystemFolder(const RealSystemFolder&) = delete;
    RealSystemFolder& operator=(const RealSystemFolder&) = delete;

private:
    void* m_old = nullptr;
    BOOL m_disabled = FALSE;
};

} // namespace

WindowsLauncher::WindowsLauncher(const Drives& drives)
    : m_drives(drives) {}

QString WindowsLauncher::findFile(const QString& path) {
    const std::optional<DosPath> dos = DosPath::parse(path);
    if (!dos || dos->isRoot())
        return {};
    try {
        const std::wstring file = wide(m_drives.toHostPath(path));
        const RealSystemFolder realPaths;
        const DWORD attributes = GetFileAttributesW(file.c_str());
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
    const RealSystemFolder realPaths;
    const DWORD attributes = GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw describe(win32Failure(GetLastError(), IoSide::Source, dos->toString()));
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
