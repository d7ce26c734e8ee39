#include "FakeControls.h"

#include "platform/Error.h"

namespace qel::test {

namespace {
constexpr int InvalidIndex = 381;

bool isDriveText(const QString& s)
{
    return s.size() >= 2 && s[1] == u':' && (s.size() == 2 || s[2] != u'\\');
}
} // namespace

void FakeDriveList::userSelects(int i)
{
    if (i == m_selected)
        return;
    m_selected = i;
    if (onChange)
        onChange();
}

void FakeDriveList::setDrive(const QString& text)
{
    ++writes;
    const QChar letter = text.isEmpty() ? QChar() : text[0].toUpper();
    int found = -1;
    for (int i = 0; i < m_entries.size(); ++i)
        if (!m_entries[i].isEmpty() && m_entries[i][0].toUpper() == letter)
            found = i;
    if (found < 0 || notReady.contains(letter))
        throw Error(err::DeviceUnavailable);
    if (found == m_selected)
        return;
    m_selected = found;
    if (onChange)
        onChange();
}

QString FakeDriveList::List(int i) const
{
    if (i < 0 || i >= m_entries.size())
        throw Error(InvalidIndex, QStringLiteral("Invalid property array index"));
    return m_entries[i];
}

void FakeDirList::userOpens(const QString& path)
{
    if (path == m_path)
        return;
    m_path = path;
    if (onChange)
        onChange();
}

void FakeDirList::setPath(const QString& pathOrDrive)
{
    writes << pathOrDrive;
    QString target = pathOrDrive;
    if (isDriveText(pathOrDrive)) {
        const QChar letter = pathOrDrive[0].toUpper();
        if (failOnDrive.contains(letter))
            throw Error(failOnDrive.value(letter));
        target = currentDirs.value(letter, QString(letter) + QStringLiteral(":\\"));
    }
    if (failOnPath.contains(target))
        throw Error(failOnPath.value(target));
    if (target == m_path)
        return;
    m_path = target;
    if (onChange)
        onChange();
}

void FakeFileList::setPath(const QString& path)
{
    writes << path;
    m_path = path;
    m_index = -1;
    m_names.clear();
    if (failOnPath.contains(path))
        throw Error(failOnPath.value(path));
    m_names = folders.value(path);
}

QString FakeFileList::List(int i) const
{
    if (i < 0 || i >= m_names.size())
        throw Error(InvalidIndex, QStringLiteral("Invalid property array index"));
    return m_names[i];
}

} // namespace qel::test
