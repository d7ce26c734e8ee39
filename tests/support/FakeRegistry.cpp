#include "FakeRegistry.h"

#include <cstring>

namespace qel::test {

namespace {
constexpr std::uint32_t kReadRights = 0x20019;
}

void FakeRegistry::setValue(const QString& key, const QString& name, std::uint32_t type,
                            QByteArray data) {
    m_keys[key.toCaseFolded()][name.toCaseFolded()] = {type, std::move(data)};
}

void FakeRegistry::setText(const QString& key, const QString& name, const QString& text, bool nul) {
    QByteArray bytes = text.toUtf8();
    if (nul)
        bytes.append('\0');
    setValue(key, name, REG_SZ, bytes);
}

long FakeRegistry::RegOpenKeyEx(std::uint32_t root, const QByteArray& subKey, std::uint32_t,
                                std::uint32_t access, RegKey& key) {
    m_accessAsked << access;
    const QString name = QString::fromUtf8(subKey).toCaseFolded();
    if (root != HKEY_LOCAL_MACHINE || !m_keys.contains(name))
        return ERROR_FILE_NOT_FOUND;
    if (access & ~kReadRights)
        return ERROR_ACCESS_DENIED;
    key = m_next++;
    m_open.insert(key, name);
    m_keysOpened << QString::fromUtf8(subKey);
    return ERROR_SUCCESS;
}

long FakeRegistry::RegQueryValueEx(RegKey key, const QByteArray& valueName, std::uint32_t& type,
                                   char* data, std::uint32_t& size) {
    const auto k = m_open.constFind(key);
    if (k == m_open.constEnd())
        return 6; // invalid handle
    const auto& values = m_keys[*k];
    const auto v = values.constFind(QString::fromUtf8(valueName).toCaseFolded());
    if (v == values.constEnd())
        return ERROR_FILE_NOT_FOUND;
    if (static_cast<std::uint32_t>(v->data.size()) > size) {
        size = static_cast<std::uint32_t>(v->data.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, v->data.constData(), static_cast<std::size_t>(v->data.size()));
    type = v->type;
    size = m_forcedSize != UINT32_MAX ? m_forcedSize : static_cast<std::uint32_t>(v->data.size());
    return ERROR_SUCCESS;
}

long FakeRegistry::RegCloseKey(RegKey key) {
    if (key == 0)
        return ERROR_SUCCESS;
    return m_open.remove(key) ? ERROR_SUCCESS : 6;
}

} // namespace qel::test
