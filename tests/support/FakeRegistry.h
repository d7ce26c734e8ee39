#pragma once

#include "platform/Registry.h"

#include <QHash>
#include <QList>
#include <QString>

namespace qel::test {

// A settings store in memory below HKEY_LOCAL_MACHINE. Like the real store it
// is read only: opening with any right beyond reading is refused (5). It
// records the access asked for and which keys are still open.
class FakeRegistry final : public Registry {
public:
    void setValue(const QString& key, const QString& name, std::uint32_t type, QByteArray data);
    // Text stored as its bytes, with or without the terminating NUL.
    void setText(const QString& key, const QString& name, const QString& text, bool nul = true);
    // Makes the next read of any value report this stored size, whatever it holds.
    void reportSize(std::uint32_t size) { m_forcedSize = size; }

    const QList<std::uint32_t>& accessAsked() const { return m_accessAsked; }
    int openKeys() const { return static_cast<int>(m_open.size()); }
    const QStringList& keysOpened() const { return m_keysOpened; }

    long RegOpenKeyEx(std::uint32_t root, const QByteArray& subKey, std::uint32_t options,
                      std::uint32_t access, RegKey& key) override;
    long RegQueryValueEx(RegKey key, const QByteArray& valueName, std::uint32_t& type, char* data,
                         std::uint32_t& size) override;
    long RegCloseKey(RegKey key) override;

private:
    struct Value {
        std::uint32_t type;
        QByteArray data;
    };
    QHash<QString, QHash<QString, Value>> m_keys;
    QHash<RegKey, QString> m_open;
    RegKey m_next = 1;
    std::uint32_t m_forcedSize = UINT32_MAX;
    QList<std::uint32_t> m_accessAsked;
    QStringList m_keysOpened;
};

} // namespace qel::test
