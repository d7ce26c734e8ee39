#pragma once

#include <QByteArray>

#include <cstdint>

namespace qel {

using RegKey = std::uintptr_t;

inline constexpr std::uint32_t HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_MORE_DATA = 234;

// The machine's settings store, read only, in the classic registry's terms.
// Calls return a status (0 = success) and never throw. Key and value names
// match without regard to case.
class Registry {
public:
    virtual ~Registry() = default;

    // Opens subKey below root. Non-zero status (2 when missing, 5 when the
    // access asked for is refused) leaves key untouched.
    virtual long RegOpenKeyEx(std::uint32_t root, const QByteArray& subKey, std::uint32_t options,
                              std::uint32_t access, RegKey& key) = 0;

    // Copies the value's raw bytes into data, which holds size bytes on entry;
    // sets type and size (the bytes stored). Returns 2 when the value is
    // missing, 234 when it is larger than size (data is then left as it was).
    virtual long RegQueryValueEx(RegKey key, const QByteArray& valueName, std::uint32_t& type,
                                 char* data, std::uint32_t& size) = 0;

    // Closes key; closing 0 does nothing.
    virtual long RegCloseKey(RegKey key) = 0;
};

} // namespace qel
