#include "MapDrives.h"

#include "platform/DosNames.h"
#include "platform/DosPath.h"
#include "platform/Error.h"

namespace qel::test {

void MapDrives::addDrive(QChar letter, const QByteArray& hostFolder) {
    QByteArray root = hostFolder;
    while (root.size() > 1 && root.endsWith('/'))
        root.chop(1);
    m_roots[letter.toUpper()] = root;
}

void MapDrives::addNotReady(QChar letter) {
    m_notReady.insert(letter.toUpper());
}

QList<DriveEntry> MapDrives::entries() const {
    QList<DriveEntry> list;
    for (auto it = m_roots.begin(); it != m_roots.end(); ++it)
        list.append({it.key(), QString(it.key()) + u':', false});
    for (QChar letter : m_notReady)
        list.append({letter, QString(letter.toLower()) + u':', true});
    return list;
}

bool MapDrives::isReady(QChar letter) const {
    return m_roots.contains(letter.toUpper());
}

QString MapDrives::currentDirectory(QChar letter) const {
    if (!isReady(letter))
        throw Error(err::DeviceUnavailable);
    return m_current.value(letter.toUpper(), QString(letter.toUpper()) + QStringLiteral(":\\"));
}

void MapDrives::setCurrentDirectory(const QString& dosPath) {
    if (const auto path = DosPath::parse(dosPath))
        m_current[path->drive] = path->toString();
}

QString MapDrives::startDirectory() const {
    return m_roots.isEmpty() ? QStringLiteral("C:\\")
                             : QString(m_roots.firstKey()) + QStringLiteral(":\\");
}

QByteArray MapDrives::toHostPath(const QString& dosPath) const {
    const auto path = DosPath::parse(dosPath);
    if (!path)
        throw Error(err::PathNotFound);
    if (!isReady(path->drive))
        throw Error(err::DeviceUnavailable);
    QByteArray host = m_roots.value(path->drive);
    for (const QString& name : path->components) {
        if (!host.endsWith('/'))
            host += '/';
        host += dosNameToHost(name);
    }
    return host;
}

std::optional<QString> MapDrives::toDosPath(const QByteArray& hostPath) const {
    for (auto it = m_roots.begin(); it != m_roots.end(); ++it) {
        const QByteArray& root = it.value();
        if (hostPath != root && !hostPath.startsWith(root + '/'))
            continue;
        QString dos = QString(it.key()) + QStringLiteral(":\\");
        const QList<QByteArray> names = hostPath.mid(root.size()).split('/');
        QStringList parts;
        for (const QByteArray& name : names)
            if (!name.isEmpty())
                parts.append(hostNameToDos(name));
        return dos + parts.join(u'\\');
    }
    return std::nullopt;
}

} // namespace qel::test
