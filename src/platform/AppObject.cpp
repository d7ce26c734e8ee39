#include "platform/AppObject.h"

#include <QCoreApplication>

namespace qel {

AppObject::AppObject(QString programDir, int major, int minor, int revision)
    : m_path(std::move(programDir))
    , m_major(major)
    , m_minor(minor)
    , m_revision(revision)
{
}

QString versionLine(const AppObject& app)
{
    return QStringLiteral("Version %1.%2.%3").arg(app.Major()).arg(app.Minor()).arg(app.Revision());
}

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("QEL_Trekkel"));
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(QEL_VERSION_MAJOR).arg(QEL_VERSION_MINOR).arg(QEL_VERSION_PATCH));
}

} // namespace qel
