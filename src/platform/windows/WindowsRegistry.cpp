#include "platform/windows/WindowsRegistry.h"

#include "platform/windows/Win32.h"

namespace qel {

namespace {

// The rights that only read: anything else would ask for more than the
// program ever needs, and fail for ordinary users.
constexpr std::uint32_t ReadRights = KEY_READ | KEY_WOW64_32KEY | KEY_WOW64_64KEY;

} // namespace

long WindowsRegistry::RegOpenKeyEx(std::uint32_t root, const QByteArray& subKey,
                                   std::uint32_t options, std::uint32_t access, RegKey& key) {
    if (access & ~ReadRights)
        return ERROR_ACCESS_DENIED;
    HKEY opened = nullptr;
    // The predefined keys are 32-bit values, sign-extended in a 64-bit handle.
    const auto rootKey = reinterpret_cast<HKEY>(std::intptr_t(std::int32_t(root)));
    LONG status = ::RegOpenKeyExA(rootKey, subKey.constData(), options, access, &opened);
    // A 32-bit program on 64-bit Windows sees the 32-bit view first; tools the
    // system registers only in its own view are still found there.
    if (status == ERROR_FILE_NOT_FOUND && !(access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY)))
        status = ::RegOpenKeyExA(rootKey, subKey.constData(), options, access | KEY_WOW64_64KEY,
                                 &opened);
    if (status == ERROR_SUCCESS)
        key = reinterpret_cast<RegKey>(opened);
    return status;
}

long WindowsRegistry::RegQueryValueEx(RegKey key, const QByteArray& valueName,
                                      std::uint32_t& type, char* data, std::uint32_t& size) {
    DWORD valueType = 0;
    DWORD stored = size;
    const LONG status =
        ::RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.constData(), nullptr, &valueType,
                           reinterpret_cast<BYTE*>(data), &stored);
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        type = valueType;
        size = stored;
    }
    return status;
}

long WindowsRegistry::RegCloseKey(RegKey key) {
    return key ? ::RegCloseKey(reinterpret_cast<HKEY>(key)) : ERROR_SUCCESS;
}

} // namespace qel
