#pragma once

#include "platform/Registry.h"

namespace qel {

// The real Windows registry, read only: opening with any right beyond
// reading is refused (5), as on Linux, so no key is ever opened for writing.
class WindowsRegistry final : public Registry {
public:
    long RegOpenKeyEx(std::uint32_t root, const QByteArray& subKey, std::uint32_t options,
                      std::uint32_t access, RegKey& key) override;
    long RegQueryValueEx(RegKey key, const QByteArray& valueName, std::uint32_t& type, char* data,
                         std::uint32_t& size) override;
    long RegCloseKey(RegKey key) override;
};

} // namespace qel
