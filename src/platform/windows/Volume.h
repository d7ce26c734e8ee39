#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace qel {

// What the volume holding a destination can take, asked of the volume itself
// (GetVolumeInformationW, GetDiskFreeSpaceExW), never guessed from its letter.
struct VolumeFacts {
    unsigned long serial = 0;
    QString fileSystem; // "FAT", "FAT32", "exFAT", "NTFS", ...

    bool isFat() const;
    // 4 GiB - 1 on FAT12/16/32, else (exFAT too) no limit of its own.
    std::int64_t largestFile() const;
};

// The facts of the volume whose root is root ("C:\"); nullopt when it does
// not answer (no medium, no such drive), GetLastError saying why.
std::optional<VolumeFacts> volumeFacts(const std::wstring& root);

// Bytes free for us in folder (a wide path); -1 when the volume does not say
// (a user-space file system may report no sizes at all).
std::int64_t freeBytes(const std::wstring& folder);

} // namespace qel
