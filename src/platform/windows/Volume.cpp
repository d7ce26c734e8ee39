#include "platform/windows/Volume.h"

#include "platform/windows/Win32.h"

namespace qel {

VolumeFacts VolumeInfo::facts() const {
    const auto is = [this](const char16_t* name) {
        return fileSystem.compare(QStringView(name), Qt::CaseInsensitive) == 0;
    };
    const bool exFat = is(u"exFAT");
    const bool fat = is(u"FAT") || is(u"FAT12") || is(u"FAT16") || is(u"FAT32");
    // Each copy is flushed on its own, which is thorough on every volume.
    return {fat || exFat, fat, false, true};
}

std::optional<VolumeInfo> volumeInfo(const std::wstring& root) {
    DWORD serial = 0;
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, name,
                               MAX_PATH + 1))
        return std::nullopt;
    return VolumeInfo{serial, QString::fromWCharArray(name)};
}

std::int64_t freeBytes(const std::wstring& folder) {
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, &total, nullptr) || total.QuadPart == 0)
        return -1;
    return std::int64_t(available.QuadPart);
}

} // namespace qel
