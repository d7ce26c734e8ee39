#include "FakeFileSystemObject.h"

#include "platform/Error.h"

namespace qel::test {

namespace {

// Upper case, runs of separators as one, no trailing separator ("a:\" -> "A:").
QString keyOf(const QString& path) {
    QString key;
    key.reserve(path.size());
    for (const QChar c : path) {
        if (c == u'\\' && key.endsWith(u'\\'))
            continue;
        key += c.toUpper();
    }
    while (key.endsWith(u'\\'))
        key.chop(1);
    return key;
}

QString parentKey(const QString& key) {
    const qsizetype cut = key.lastIndexOf(u'\\');
    return cut < 0 ? QString() : key.left(cut);
}

bool matches(QStringView pattern, QStringView name) {
    if (pattern.isEmpty())
        return name.isEmpty();
    if (pattern[0] == u'*')
        return matches(pattern.mid(1), name) || (!name.isEmpty() && matches(pattern, name.mid(1)));
    if (name.isEmpty())
        return false;
    if (pattern[0] != u'?' && pattern[0].toUpper() != name[0].toUpper())
        return false;
    return matches(pattern.mid(1), name.mid(1));
}

} // namespace

void FakeFileSystemObject::addFolder(const QString& path) {
    QString key = keyOf(path);
    QString shown = path;
    while (!key.isEmpty() && !m_folders.contains(key)) {
        m_folders.insert(key, shown);
        key = parentKey(key);
        shown = shown.left(shown.lastIndexOf(u'\\'));
    }
}

void FakeFileSystemObject::addFile(const QString& path, const QByteArray& content) {
    const QString key = keyOf(path);
    const qsizetype cut = path.lastIndexOf(u'\\');
    addFolder(path.left(cut));
    m_fileNames.insert(key, path.mid(cut + 1));
    m_contents.insert(key, content);
}

void FakeFileSystemObject::removeFile(const QString& path) {
    m_fileNames.remove(keyOf(path));
    m_contents.remove(keyOf(path));
}

bool FakeFileSystemObject::hasFolder(const QString& path) const {
    return m_folders.contains(keyOf(path));
}

bool FakeFileSystemObject::hasFile(const QString& path) const {
    return m_fileNames.contains(keyOf(path));
}

QByteArray FakeFileSystemObject::content(const QString& path) const {
    return m_contents.value(keyOf(path));
}

QStringList FakeFileSystemObject::fileNames(const QString& folder) const {
    const QString key = keyOf(folder);
    QStringList out;
    for (auto it = m_fileNames.cbegin(); it != m_fileNames.cend(); ++it)
        if (parentKey(it.key()) == key)
            out << it.value();
    out.sort(Qt::CaseInsensitive);
    return out;
}

void FakeFileSystemObject::failNext(const QString& operation, const QString& match, int number,
                                    int times) {
    m_failures.push_back({operation, match, number, times});
}

QStringList FakeFileSystemObject::calls(const QString& operation) const {
    QStringList out;
    for (const Call& c : m_calls)
        if (c.operation == operation)
            out << (c.second.isNull() ? c.first : c.first + u'>' + c.second);
    return out;
}

void FakeFileSystemObject::record(const QString& operation, const QString& first,
                                  const QString& second) {
    m_calls.push_back({operation, first, second});
    if (onCall)
        onCall(m_calls.back());
    for (qsizetype i = 0; i < m_failures.size(); ++i) {
        Failure& f = m_failures[i];
        if (f.operation == operation && first.contains(f.match)) {
            const int number = f.number;
            if (--f.times <= 0)
                m_failures.removeAt(i);
            throw Error(number);
        }
    }
}

bool FakeFileSystemObject::isWriteProtected(const QString& key) const {
    for (const QString& p : writeProtected) {
        const QString protectedKey = keyOf(p);
        if (key == protectedKey || key.startsWith(protectedKey + u'\\'))
            return true;
    }
    return false;
}

std::unique_ptr<File> FakeFileSystemObject::GetFile(const QString& path) {
    record(QStringLiteral("GetFile"), path);
    if (!getFile)
        throw Error(err::FileNotFound);
    return getFile(path);
}

bool FakeFileSystemObject::FolderExists(const QString& path) {
    record(QStringLiteral("FolderExists"), path);
    return hasFolder(path);
}

void FakeFileSystemObject::CreateFolder(const QString& path) {
    record(QStringLiteral("CreateFolder"), path);
    const QString key = keyOf(path);
    if (m_folders.contains(key) || m_fileNames.contains(key))
        throw Error(err::FileAlreadyExists);
    if (!m_folders.contains(parentKey(key)))
        throw Error(err::PathNotFound);
    if (isWriteProtected(key))
        throw Error(err::PermissionDenied);
    m_folders.insert(key, path);
}

void FakeFileSystemObject::CopyFile(const QString& source, const QString& destination,
                                    bool overwrite) {
    record(QStringLiteral("CopyFile"), source, destination);
    const QString sourceKey = keyOf(source);
    const QString folder = parentKey(sourceKey);
    const QString pattern = sourceKey.mid(folder.size() + 1);
    if (!m_folders.contains(folder))
        throw Error(err::PathNotFound);

    QStringList found;
    for (auto it = m_fileNames.cbegin(); it != m_fileNames.cend(); ++it)
        if (parentKey(it.key()) == folder && matches(pattern, it.value()))
            found << it.key();
    if (found.isEmpty())
        throw Error(err::FileNotFound);

    const QString target = keyOf(destination);
    if (m_fileNames.contains(target))
        throw Error(err::FileAlreadyExists);
    if (!m_folders.contains(target))
        throw Error(err::PathNotFound);
    if (isWriteProtected(target))
        throw Error(err::PermissionDenied);
    for (const QString& key : found) {
        const QString name = m_fileNames.value(key);
        const QString copyKey = target + u'\\' + name.toUpper();
        if (m_fileNames.contains(copyKey) && !overwrite)
            throw Error(err::FileAlreadyExists);
        m_fileNames.insert(copyKey, name);
        m_contents.insert(copyKey, m_contents.value(key));
    }
}

std::shared_ptr<void> FakeFileSystemObject::holdDrive(const QString& drive) {
    Q_UNUSED(drive);
    if (busyDrive)
        throw *busyDrive;
    return std::make_shared<int>(0);
}

} // namespace qel::test
