#include "platform/windows/FolderEntries.h"

#include "platform/windows/LongPath.h"
#include "platform/windows/Win32.h"

namespace qel {

unsigned long forEachEntry(const QByteArray& hostFolder,
                           const std::function<void(const QString& name, unsigned long attributes)>& each) {
    std::wstring pattern = longPath(hostFolder);
    pattern += pattern.back() == L'\\' ? L"*" : L"\\*";
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : code;
    }
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name != u"." && name != u"..")
            each(name, found.dwFileAttributes);
    } while (FindNextFileW(search, &found));
    const DWORD code = GetLastError();
    FindClose(search);
    return code == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : code;
}

} // namespace qel
