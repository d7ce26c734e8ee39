#include "platform/linux/LinuxRegistry.h"

#include <QDir>
#include <QFile>
#include <cstring>

namespace qel {

namespace {

constexpr long ERROR_INVALID_HANDLE = 6;
constexpr std::uint32_t kReadRights = 0x20019;
// The 32/64-bit view flags change nothing here.
constexpr std::uint32_t kViewFlags = 0x0300;
// The store is a few lines; anything this large is not one.
constexpr qint64 kMaxStoreSize = 16 * 1024 * 1024;

const QString kStoreName = QStringLiteral("qel-trekkel/system.reg");

} // namespace

QStringList xdgConfigDirs() {
    QStringList dirs;
    const QString env = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& d : env.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d))
            dirs << d;
    if (dirs.isEmpty())
        dirs << QStringLiteral("/etc/xdg");
    return dirs;
}

LinuxRegistry::LinuxRegistry()
    : LinuxRegistry(xdgConfigDirs()) {}

LinuxRegistry::LinuxRegistry(QStringList configDirs)
    : m_configDirs(std::move(configDirs)) {}

QString LinuxRegistry::storePath() const {
    for (const QString& dir : m_configDirs) {
        const QString path = QDir(dir).filePath(kStoreName);
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            return path;
    }
    return {};
}

long LinuxRegistry::RegOpenKeyEx(std::uint32_t root, const QByteArray& subKey, std::uint32_t,
                                 std::uint32_t access, RegKey& key) {
    if (root != HKEY_LOCAL_MACHINE)
        return ERROR_FILE_NOT_FOUND;
    if (access & ~(kReadRights | kViewFlags))
        return ERROR_ACCESS_DENIED;

    QByteArray text;
    const QString path = storePath();
    if (!path.isEmpty()) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly) && f.size() <= kMaxStoreSize)
            text = f.read(kMaxStoreSize);
    }
    const RegFile store = RegFile::parse(text);
    auto values = store.values(QStringLiteral("HKEY_LOCAL_MACHINE\\") + QString::fromUtf8(subKey));
    if (!values)
        return ERROR_FILE_NOT_FOUND;
    key = m_next++;
    m_open.insert(key, std::move(*values));
    return ERROR_SUCCESS;
}

long LinuxRegistry::RegQueryValueEx(RegKey key, const QByteArray& valueName, std::uint32_t& type,
                                    char* data, std::uint32_t& size) {
    const auto k = m_open.constFind(key);
    if (k == m_open.constEnd())
        return ERROR_INVALID_HANDLE;
    const auto v = k->constFind(QString::fromUtf8(valueName).toCaseFolded());
    if (v == k->constEnd())
        return ERROR_FILE_NOT_FOUND;
    const auto stored = static_cast<std::uint32_t>(v->data.size());
    if (data && stored > size) {
        size = stored;
        return ERROR_MORE_DATA;
    }
    if (data && stored > 0)
        std::memcpy(data, v->data.constData(), stored);
    type = v->type;
    size = stored;
    return ERROR_SUCCESS;
}

long LinuxRegistry::RegCloseKey(RegKey key) {
    if (key == 0)
        return ERROR_SUCCESS;
    return m_open.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace qel
