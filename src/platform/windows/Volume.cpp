#include "platform/windows/Volume.h"

#include "platform/CopyPolicy.h"

#include "platform/windows/Win32.h"

#include <limits>

namespace qel {

bool VolumeFacts::isFat() const {
    return fileSystem.compare(u"FAT", Qt::CaseInsensitive) == 0 ||
           fileSystem.compare(u"FAT12", Qt::CaseInsensitive) == 0 ||
           fileSystem.compare(u"FAT16", Qt::CaseInsensitive) == 0 ||
           fileSystem.compare(u"FAT32", Qt::CaseInsensitive) == 0 ||
           fileSystem.compare(u"exFAT", Qt::CaseInsensitive) == 0;
}

std::int64_t VolumeFacts::largestFile() const {
    return isFat() && fileSystem.compare(u"exFAT", Qt::CaseInsensitive) != 0
               ? kFatLargestFile
               : std::numeric_limits<std::int64_t>::max();
}

std::optional<VolumeFacts> volumeFacts(const std::wstring& root) {
    DWORD serial = 0;
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, name,
                               MAX_PATH + 1))
        return std::nullopt;
    return VolumeFacts{serial, QString::fromWCharArray(name)};
}

std::int64_t freeBytes(const std::wstring& folder) {
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, &total, nullptr) || total.QuadPart == 0)
        return -1;
    return std::int64_t(available.QuadPart);
}

} // namespace qel
