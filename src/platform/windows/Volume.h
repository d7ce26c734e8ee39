#pragma once

#include "platform/CopyIo.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace qel {

// A volume as GetVolumeInformationW tells it.
struct VolumeInfo {
    unsigned long serial = 0;
    QString fileSystem; // "FAT", "FAT32", "exFAT", "NTFS", ...

    // What a copy onto it must follow.
    VolumeFacts facts() const;
};

// The root of the drive of that letter ("C:\\").
inline std::wstring volumeRoot(QChar letter) {
    return std::wstring{wchar_t(letter.unicode()), L':', L'\\'};
}

// The volume whose root is root ("C:\"); nullopt when it does not answer (no
// medium, no such drive), GetLastError saying why.
std::optional<VolumeInfo> volumeInfo(const std::wstring& root);

// Bytes free for us in folder (a wide path); -1 when the volume does not say
// (a user-space file system may report no sizes at all).
std::int64_t freeBytes(const std::wstring& folder);

} // namespace qel
