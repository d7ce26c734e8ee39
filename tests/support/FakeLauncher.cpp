#include "FakeLauncher.h"

namespace qel::test {

QString FakeLauncher::findFile(const QString& path) {
    m_looked << path;
    if (!m_files.contains(path, Qt::CaseInsensitive))
        return {};
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

void FakeLauncher::startProgram(const QString& path) {
    if (m_startError)
        throw *m_startError;
    if (path.isEmpty())
        throw Error(err::FileNotFound);
    m_started << path;
}

} // namespace qel::test
