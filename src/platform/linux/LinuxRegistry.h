#pragma once

#include "platform/Registry.h"
#include "platform/linux/RegFile.h"

#include <QHash>
#include <QStringList>

namespace qel {

// The machine-wide keys (HKEY_LOCAL_MACHINE) read from qel-trekkel/system.reg
// in the XDG configuration folders, in the REGEDIT4 format. The first folder
// holding a readable file wins; the file is read afresh each time a key is
// opened, so edits apply at once (a file over 16 MB is taken as empty). The
// store is read only: opening with any right beyond reading is refused (5).
class LinuxRegistry final : public Registry {
public:
    // Folders from $XDG_CONFIG_DIRS (default /etc/xdg).
    LinuxRegistry();
    // Folders to look in, most important first.
    explicit LinuxRegistry(QStringList configDirs);

    // The store file that opening a key would read now; empty when none.
    QString storePath() const;

    long RegOpenKeyEx(std::uint32_t root, const QByteArray& subKey, std::uint32_t options,
                      std::uint32_t access, RegKey& key) override;
    long RegQueryValueEx(RegKey key, const QByteArray& valueName, std::uint32_t& type, char* data,
                         std::uint32_t& size) override;
    long RegCloseKey(RegKey key) override;

private:
    QStringList m_configDirs;
    // An open key holds the values it had when it was opened.
    QHash<RegKey, QHash<QString, RegValue>> m_open;
    RegKey m_next = 1;
};

// The folders of $XDG_CONFIG_DIRS: absolute entries only, /etc/xdg when none.
QStringList xdgConfigDirs();

} // namespace qel
