#include "platform/windows/LongPath.h"

#include "platform/windows/Win32.h"

#include <QString>

namespace qel {

std::wstring longPath(const QByteArray& hostPath) {
    std::wstring path = QString::fromUtf8(hostPath).toStdWString();
    // Room for a file name or "\*" that a caller may add.
    if (path.size() + 13 >= MAX_PATH && path.size() > 2 && path[1] == L':')
        path.insert(0, L"\\\\?\\");
    return path;
}

} // namespace qel
